using System;
using System.Threading;
using System.Threading.Tasks;
using Xunit;

namespace VelmoKiv.Tests
{
    /// <summary>Time-outs and their timers, and what an abandoned request leaves behind.</summary>
    public class RequestTests : LoopbackTest
    {
        public static TheoryData<TimeSpan, TimeSpan?> Limits => new TheoryData<TimeSpan, TimeSpan?>
        {
            { TimeSpan.MaxValue, null },
            { Timeout.InfiniteTimeSpan, null },
            { TimeSpan.FromDays(100), null },
            { TimeSpan.FromSeconds(1), TimeSpan.FromSeconds(1) },
            { TimeSpan.Zero, TimeSpan.Zero },
        };

        [Theory]
        [MemberData(nameof(Limits))]
        public void TimeOutsBeyondATimerWaitWithoutLimit(TimeSpan timeout, TimeSpan? limit)
        {
            Assert.Equal(limit, RequestTable.Limit(timeout, "timeout"));
        }

        [Fact]
        public void ANegativeTimeOutIsTheCallersError()
        {
            var engine = Open(Unique("u"));
            Assert.Throws<ArgumentOutOfRangeException>(() => engine.DefaultTimeout = TimeSpan.FromMilliseconds(-2));
            Assert.Equal(TimeSpan.FromSeconds(20), engine.DefaultTimeout);
        }

        [Fact]
        public async Task ATimerRunsOnlyWhileARequestWaits()
        {
            var engine = await LoginAsync(Unique("u"));
            Assert.Equal(0, engine.ArmedTimers);
            // Infinite time-outs need no timer at all, and still complete.
            engine.DefaultTimeout = TimeSpan.MaxValue;
            await engine.Client.SubscribeAsync(Unique("c"), new SubscribeOptions());
            using (await HoldDispatcherAsync(engine))
            {
                engine.DefaultTimeout = TimeSpan.FromSeconds(20);
                var timed = engine.Client.SubscribeAsync(Unique("c"), new SubscribeOptions());
                engine.DefaultTimeout = TimeSpan.MaxValue;
                var endless = engine.Client.SubscribeAsync(Unique("c"), new SubscribeOptions());
                Assert.Equal(1, engine.ArmedTimers);
                Assert.False(endless.IsCompleted);
            }
            for (int wait = 0; engine.ArmedTimers != 0 && wait < 200; ++wait) await Task.Delay(100);
            Assert.Equal(0, engine.ArmedTimers);
        }

        [Theory]
        [InlineData(true, true)]    // cancelled by the token
        [InlineData(false, true)]   // timed out
        [InlineData(true, false)]   // no handler listens to the late grant either
        public async Task ALockGrantedToAnAbandonedAcquisitionIsReleased(bool cancel, bool watched)
        {
            string channel = Unique("c");
            var alice = await LoginAsync(Unique("a"));
            var bob = await LoginAsync(Unique("b"));
            await alice.Lock.SetLockAsync(channel, MessageChannel, "pen", 30);
            await alice.Lock.AcquireLockAsync(channel, MessageChannel, "pen", false);

            using var source = new CancellationTokenSource();
            if (!cancel) bob.DefaultTimeout = TimeSpan.FromMilliseconds(200);
            var waiting = bob.Lock.AcquireLockAsync(channel, MessageChannel, "pen", true, source.Token);
            bob.DefaultTimeout = TimeSpan.FromSeconds(20);
            if (cancel) source.Cancel();
            await Assert.ThrowsAnyAsync<Exception>(() => waiting);
            Assert.True(waiting.IsCanceled == cancel);

            // The lock passes to bob inside the SDK; the binding gives it back.
            var released = watched ? Next<ReleaseLockResultArgs>(bob, e => e.LockName == "pen") : null;
            await alice.Lock.ReleaseLockAsync(channel, MessageChannel, "pen");
            if (released != null) Assert.Equal(0, (await released).ErrorCode);
            for (int attempt = 1;; ++attempt)
            {
                try
                {
                    var again = await alice.Lock.AcquireLockAsync(channel, MessageChannel, "pen", false);
                    Assert.Equal(0, again.ErrorCode);
                    break;
                }
                catch (KivRequestException) when (!watched && attempt < 100)
                {
                    await Task.Delay(100);  // bob's release is on its way
                }
            }
        }
    }
}
