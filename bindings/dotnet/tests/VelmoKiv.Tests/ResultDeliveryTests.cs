using System;
using System.Threading;
using System.Threading.Tasks;
using VelmoKiv.Json;
using Xunit;

namespace VelmoKiv.Tests
{
    /// <summary>Results awaited only through their task, and results handlers listen to: both in the engine's order.</summary>
    public class ResultDeliveryTests : LoopbackTest
    {
        public static TheoryData<string> Listeners => new TheoryData<string> { "every event", "typed" };

        [Theory]
        [MemberData(nameof(Listeners))]
        public async Task AResultReachesItsHandlersAsWellAsItsTask(string listener)
        {
            var engine = await LoginAsync(Unique("u"));
            string channel = Unique("c");
            var seen = new TaskCompletionSource<string>(TaskCreationOptions.RunContinuationsAsynchronously);
            // The body's text, decoded when first read, is the library's.
            if (listener == "typed")
                engine.SubscribeCompleted += (s, e) => seen.TrySetResult(JsonValue.Parse(e.Json)["channelName"].AsString());
            else
                engine.EventReceived += (s, e) => { if (e is SubscribeResultArgs r) seen.TrySetResult(r.ChannelName); };
            var result = await engine.Client.SubscribeAsync(channel, new SubscribeOptions());
            Assert.Equal(channel, result.ChannelName);
            Assert.Equal(channel, await seen.Task.WaitAsync(TimeSpan.FromSeconds(20)));
        }

        [Fact]
        public async Task AResultNobodyListensToWaitsForTheEventsBeforeIt()
        {
            string channel = Unique("c");
            var sender = await LoginAsync(Unique("s"));
            var receiver = await LoginAsync(Unique("r"));
            // Messages only: no presence event joins the queue.
            await receiver.Client.SubscribeAsync(channel, new SubscribeOptions { WithMessage = true });
            using var gate = new ManualResetEventSlim();
            var blocked = new TaskCompletionSource<bool>(TaskCreationOptions.RunContinuationsAsynchronously);
            receiver.MessageReceived += (s, e) =>
            {
                blocked.TrySetResult(true);
                gate.Wait(TimeSpan.FromSeconds(30));
            };
            await sender.Client.PublishAsync(channel, new byte[] { 1 }, new PublishOptions { ChannelType = MessageChannel });
            await blocked.Task.WaitAsync(TimeSpan.FromSeconds(20));

            // No handler listens to the subscribe result; the message event before it is still being handled.
            var later = receiver.Client.SubscribeAsync(Unique("c"), new SubscribeOptions { WithMessage = true });
            // The result is the first event queued (a presence snapshot follows it).
            for (int wait = 0; receiver.QueuedEvents == 0 && wait < 200; ++wait) await Task.Delay(100);
            Assert.NotEqual(0, receiver.QueuedEvents);
            Assert.False(later.IsCompleted);
            gate.Set();
            await later.WaitAsync(TimeSpan.FromSeconds(20));
        }
    }
}
