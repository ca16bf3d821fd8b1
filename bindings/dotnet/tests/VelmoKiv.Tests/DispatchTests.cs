using System;
using System.Collections.Generic;
using System.Runtime.CompilerServices;
using System.Threading;
using System.Threading.Tasks;
using Xunit;

namespace VelmoKiv.Tests
{
    /// <summary>Disposal against running handlers and queued events, engines dropped without disposal, exit from a handler.</summary>
    public class DispatchTests : LoopbackTest
    {
        private const int Queued = 50;

        /// <summary>
        /// A receiver whose first message handler blocks on gate; the others
        /// count. Returns once all but the first message are queued behind it.
        /// </summary>
        private async Task<(KivEngine Receiver, Func<int> Calls)> BlockedReceiverAsync(ManualResetEventSlim gate)
        {
            string channel = Unique("c");
            var sender = await LoginAsync(Unique("s"));
            var receiver = await LoginAsync(Unique("r"));
            await SubscribeAsync(receiver, channel);
            int calls = 0;
            var blocked = new TaskCompletionSource<bool>(TaskCreationOptions.RunContinuationsAsynchronously);
            receiver.MessageReceived += (s, e) =>
            {
                if (Interlocked.Increment(ref calls) == 1)
                {
                    blocked.TrySetResult(true);
                    gate.Wait(TimeSpan.FromSeconds(30));
                }
            };
            var option = new PublishOptions { ChannelType = MessageChannel };
            for (int i = 0; i < Queued; ++i) await sender.Client.PublishAsync(channel, new byte[] { (byte)i }, option);
            await blocked.Task.WaitAsync(TimeSpan.FromSeconds(20));
            for (int wait = 0; receiver.QueuedEvents < Queued - 1 && wait < 200; ++wait) await Task.Delay(100);
            Assert.Equal(Queued - 1, receiver.QueuedEvents);
            return (receiver, () => Volatile.Read(ref calls));
        }

        [Fact]
        public async Task DisposeDropsWhatIsQueuedAndDisposeAsyncDeliversIt()
        {
            // Dispose: returns while a handler still runs; the queue is discarded and counted.
            using (var gate = new ManualResetEventSlim())
            {
                var (receiver, calls) = await BlockedReceiverAsync(gate);
                await Task.Run(receiver.Dispose).WaitAsync(TimeSpan.FromSeconds(20));
                Assert.Equal(Queued - 1, receiver.DiscardedEvents);
                Assert.Equal(0, receiver.QueuedEvents);
                gate.Set();
                await Task.Delay(300);  // room for a wrongly started handler to show
                Assert.Equal(1, calls());
            }

            // DisposeAsync: completes only after every queued event was delivered.
            using (var gate = new ManualResetEventSlim())
            {
                var (receiver, calls) = await BlockedReceiverAsync(gate);
                var disposing = receiver.DisposeAsync().AsTask();
                Assert.True(receiver.IsDisposed);
                Assert.False(disposing.IsCompleted);
                gate.Set();
                await disposing.WaitAsync(TimeSpan.FromSeconds(20));
                Assert.Equal(Queued, calls());
                Assert.Equal(0, receiver.DiscardedEvents);
            }
        }

        [Fact]
        public async Task EnginesDisposeEachOtherFromTheirHandlers()
        {
            string channel = Unique("c");
            var sender = await LoginAsync(Unique("s"));
            var a = await LoginAsync(Unique("a"));
            var b = await LoginAsync(Unique("b"));
            await SubscribeAsync(a, channel);
            await SubscribeAsync(b, channel);
            // Each handler disposes the other engine while that engine's handler runs too.
            using var bothIn = new Barrier(2);
            var done = new List<Task>();
            foreach (var (self, other) in new[] { (a, b), (b, a) })
            {
                var finished = new TaskCompletionSource<bool>(TaskCreationOptions.RunContinuationsAsynchronously);
                done.Add(finished.Task);
                self.MessageReceived += (s, e) =>
                {
                    bothIn.SignalAndWait(TimeSpan.FromSeconds(20));
                    other.Dispose();
                    finished.TrySetResult(other.IsDisposed);
                };
            }
            await sender.Client.PublishAsync(channel, new byte[] { 1 }, new PublishOptions { ChannelType = MessageChannel });
            await Task.WhenAll(done).WaitAsync(TimeSpan.FromSeconds(20));
            Assert.True(a.IsDisposed && b.IsDisposed);
        }

        [Fact]
        public async Task AHandlerCannotChangeWhatTheNextOneSees()
        {
            string channel = Unique("c"), senderId = Unique("s");
            var sender = await LoginAsync(senderId);
            var receiver = await LoginAsync(Unique("r"));
            await SubscribeAsync(receiver, channel);
            receiver.MessageReceived += (s, e) =>
            {
                Array.Clear(e.Payload, 0, e.Payload.Length);
                e.Payloads[0][0] = 0;
                e.Event.Publisher = "someone else";
            };
            var seen = new TaskCompletionSource<(byte[], string)>(TaskCreationOptions.RunContinuationsAsynchronously);
            receiver.MessageReceived += (s, e) => seen.TrySetResult((e.Payload, e.Event.Publisher));
            await sender.Client.PublishAsync(channel, new byte[] { 1, 2, 3 }, new PublishOptions { ChannelType = MessageChannel });
            var (payload, publisher) = await seen.Task.WaitAsync(TimeSpan.FromSeconds(20));
            Assert.Equal(new byte[] { 1, 2, 3 }, payload);
            Assert.Equal(senderId, publisher);
        }

        [MethodImpl(MethodImplOptions.NoInlining)]
        private static List<WeakReference> Abandon(int count)
        {
            var weak = new List<WeakReference>();
            for (int i = 0; i < count; ++i)
            {
                var engine = new KivEngine(new KivConfig { AppId = "dotnet-tests", UserId = Unique("dropped") });
                engine.Client.LoginAsync("token").Wait(TimeSpan.FromSeconds(20));
                weak.Add(new WeakReference(engine));
            }
            return weak;
        }

        [Fact]
        public async Task EnginesDroppedWithoutDisposeAreCollected()
        {
            var weak = Abandon(20);
            for (int round = 0; round < 50 && weak.Exists(w => w.IsAlive); ++round)
            {
                GC.Collect();
                GC.WaitForPendingFinalizers();
                await Task.Delay(50);
            }
            Assert.Empty(weak.FindAll(w => w.IsAlive));
        }

        [Fact]
        public async Task ExitFromInsideAHandlerEndsWithItsCode()
        {
            var (code, _) = await LifetimeTests.RunChildAsync("exit-in-handler");
            Assert.Equal(3, code);
        }
    }
}
