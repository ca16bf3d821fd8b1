using System;
using System.Linq;
using System.Text;
using System.Threading.Tasks;
using Xunit;

namespace VelmoKiv.Tests
{
    /// <summary>Input the binding refuses before calling, results it refuses after, the library's location and its log.</summary>
    public class InputTests : LoopbackTest
    {
        public static TheoryData<string, Func<KivEngine, Task>> BadInput => new TheoryData<string, Func<KivEngine, Task>>
        {
            { "data", e => e.Storage.SetUserMetadataAsync("u", new Metadata { Items = new MetadataItem[] { null } }, new MetadataOptions()) },
            { "keys", e => e.Presence.RemoveStateAsync("c", MessageChannel, new[] { "k", null }) },
            { "channelName", e => e.Client.SubscribeAsync("room\ud800", new SubscribeOptions()) },
            { "channelName", e => e.Client.SubscribeAsync("\udc00room", new SubscribeOptions()) },
            { "channelName", e => e.Client.SubscribeAsync("room\ud83d", new SubscribeOptions()) },
            { "data", e => e.Storage.SetUserMetadataAsync("u", new Metadata { Items = new[] { new MetadataItem { Value = "\ud800x" } } }, new MetadataOptions()) },
        };

        [Theory]
        [MemberData(nameof(BadInput))]
        public async Task InputJsonCannotCarryIsRefusedNamingTheParameter(string parameter, Func<KivEngine, Task> call)
        {
            var engine = Open(Unique("u"));
            var e = await Assert.ThrowsAsync<ArgumentException>(() => call(engine));
            Assert.Equal(parameter, e.ParamName);
        }

        [Fact]
        public async Task ASurrogatePairPassesWhole()
        {
            var engine = await LoginAsync(Unique("u"));
            string channel = Unique("c") + "\ud83d\ude00";
            var joined = await engine.Client.SubscribeAsync(channel, new SubscribeOptions());
            Assert.Equal(channel, joined.ChannelName);
        }

        public static TheoryData<int, bool> ResultLengths => new TheoryData<int, bool>
        {
            { 10, false },
            { 65534, false },
            { 65535, true },   // the library's cut: the buffer is full
            { 65536, true },   // no terminator at all
        };

        [Theory]
        [MemberData(nameof(ResultLengths))]
        public void AResultThatFillsTheBufferIsReportedAsCut(int length, bool cut)
        {
            var buffer = new byte[65536];
            // A JSON text of exactly length bytes: "xxxx...".
            buffer[0] = (byte)'"';
            for (int i = 1; i < length - 1; ++i) buffer[i] = (byte)'x';
            buffer[length - 1] = (byte)'"';
            if (cut)
            {
                var e = Assert.Throws<KivResultTruncatedException>(() => KivEngine.ReadResult("api", buffer));
                Assert.Equal("api", e.ApiName);
                Assert.Contains("cut", e.Message);
            }
            else
            {
                Assert.Equal(length - 2, KivEngine.ReadResult("api", buffer).AsString().Length);
            }
        }

        [Fact]
        public void ThePathCannotChangeOnceTheLibraryIsLoaded()
        {
            Open(Unique("u"));
            var current = KivLibrary.Path;
            KivLibrary.Path = current;  // unchanged: harmless
            Assert.Throws<InvalidOperationException>(() => KivLibrary.Path = "/elsewhere/libVelmoKivWrapper.so");
            Assert.Equal(current, KivLibrary.Path);
        }

        [Theory]
        [InlineData(null, false)]
        [InlineData("none", false)]
        [InlineData("stdout", true)]
        public async Task TheLibraryPrintsOnStandardOutputOnlyWhenTheHostAsks(string libraryOutput, bool printed)
        {
            Assert.Equal(KivLogLevel.Error, new LogConfig().LogLevel);
            // Load, calls, events and disposal with the default configuration.
            var (code, output) = await LifetimeTests.RunChildAsync("quiet", libraryOutput);
            Assert.Equal(0, code);
            var lines = output.Split('\n', StringSplitOptions.RemoveEmptyEntries).Select(l => l.Trim()).ToArray();
            bool libraryLines = lines.Any(l => l.Contains("quon version:"));
            Assert.Equal(printed, libraryLines);
            if (!printed) Assert.Equal(new[] { "first engine made", "quiet child done" }, lines);
        }
    }
}
