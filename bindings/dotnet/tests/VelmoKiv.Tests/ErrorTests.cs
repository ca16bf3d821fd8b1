using System;
using System.Threading;
using System.Threading.Tasks;
using VelmoKiv.Json;
using Xunit;

namespace VelmoKiv.Tests
{
    /// <summary>Every way a call fails reaches the caller as an exception that names its cause.</summary>
    public class ErrorTests : LoopbackTest
    {
        [Fact]
        public void AMissingValueNamesItsKeyBeforeAnythingIsCalled()
        {
            var engine = Open(Unique("u"));
            var e = Assert.Throws<ArgumentNullException>(() => { _ = engine.Lock.SetLockAsync(null, ChannelType.Message, "pen", 1); });
            Assert.Equal("channelName", e.ParamName);
            e = Assert.Throws<ArgumentNullException>(() => { _ = engine.Client.PublishAsync("c", null, new PublishOptions()); });
            Assert.Equal("message", e.ParamName);
        }

        [Theory]
        [InlineData("KivClient_noSuchCall", KivCodes.UnknownApi)]
        [InlineData("Nowhere_call", KivCodes.NoModule)]
        [InlineData("nounderscore", KivCodes.NoModule)]
        [InlineData("KivClient_login_1fa04dd", KivCodes.BadParams)]  // no "token"
        public void LibraryCodesBecomeKivExceptions(string apiName, int code)
        {
            var engine = Open(Unique("u"));
            var e = Assert.Throws<KivException>(() => engine.Invoke(apiName, new JsonWriter().BeginObject().EndObject(), null, 0));
            Assert.Equal(code, e.Code);
            Assert.Contains(apiName, e.Message);
        }

        [Fact]
        public async Task CallsWithoutAClientAnswerNoClient()
        {
            var engine = Open(Unique("u"));
            engine.Client.Release();
            var e = await Assert.ThrowsAsync<KivException>(() => engine.Storage.GetUserMetadataAsync("x"));
            Assert.Equal(KivCodes.NoClient, e.Code);
        }

        public static TheoryData<string, Action<KivEngine>, bool> SyncFailures => new TheoryData<string, Action<KivEngine>, bool>
        {
            // The SDK refuses an empty parameter text with its own code.
            { "KivClient_setParameters_3a2037f", e => e.Client.SetParameters(""), false },
            // The library knows no such stream channel.
            { "StreamChannel_release", e => e.StreamChannel.Release(Unique("none")), true },
        };

        [Theory]
        [MemberData(nameof(SyncFailures))]
        public void ASynchronousFailureThrowsAsAnAsynchronousOneDoes(string apiName, Action<KivEngine> call, bool libraryCode)
        {
            var engine = Open(Unique("u"));
            var e = Assert.Throws<KivException>(() => call(engine));
            Assert.Equal(apiName, e.ApiName);
            Assert.NotEqual(0, e.Code);
            Assert.Equal(libraryCode, e.IsLibraryCode);
            Assert.Contains(libraryCode ? KivCodes.Describe(e.Code) : "SDK error " + e.Code, e.Message);
        }

        [Fact]
        public async Task ARefusedRequestAndAFailedResultAreErrorsNotSuccesses()
        {
            var engine = Open(Unique("u"));
            // An unknown stream channel answers {"result":-2} with code 0.
            var refused = await Assert.ThrowsAsync<KivException>(() => engine.StreamChannel.LeaveAsync(Unique("none")));
            Assert.Equal(KivCodes.BadParams, refused.Code);
            // Not logged in: the SDK fails the request in its result event.
            var failed = await Assert.ThrowsAsync<KivRequestException>(() =>
                engine.Client.PublishAsync(Unique("c"), new byte[] { 1 }, new PublishOptions { ChannelType = MessageChannel }));
            Assert.NotEqual(0, failed.Code);
            Assert.IsType<PublishResultArgs>(failed.Result);
        }

        [Fact]
        public void AnAsynchronousCallFailsThroughItsTaskNeverByThrowing()
        {
            var engine = Open(Unique("u"));
            using var cancel = new CancellationTokenSource();
            cancel.Cancel();
            Assert.True(engine.Client.LoginAsync("t", cancel.Token).IsCanceled);
            engine.Dispose();
            var disposed = engine.Client.LoginAsync("t");
            Assert.IsType<ObjectDisposedException>(disposed.Exception?.InnerException);
        }

        [Fact]
        public async Task CancellationAndTimeOutEndTheWait()
        {
            var engine = await LoginAsync(Unique("u"));
            // No result can arrive while the waits end.
            using var hold = await HoldDispatcherAsync(engine);
            using var cancel = new CancellationTokenSource();
            var cancelled = engine.Client.SubscribeAsync(Unique("c"), new SubscribeOptions(), cancel.Token);
            engine.DefaultTimeout = TimeSpan.FromMilliseconds(50);
            var timedOut = engine.Client.SubscribeAsync(Unique("c"), new SubscribeOptions());
            cancel.Cancel();
            await Assert.ThrowsAnyAsync<OperationCanceledException>(() => cancelled);
            await Assert.ThrowsAsync<TimeoutException>(() => timedOut);
        }

        [Fact]
        public void ACreateTheSdkRefusesThrowsWithItsErrorCode()
        {
            var e = Assert.Throws<KivException>(() => new KivEngine(new KivConfig { AppId = "", UserId = "" }));
            Assert.NotEqual(0, e.Code);
            Assert.Equal("KivClient_create", e.ApiName);
        }
    }
}
