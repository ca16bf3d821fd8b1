using System.Threading.Tasks;
using VelmoKiv.Json;
using Xunit;

namespace VelmoKiv.Tests
{
    /// <summary>Enumerations carry every number through; keys with a binding default may be left out.</summary>
    public class EnumerationTests : LoopbackTest
    {
        public static TheoryData<ChannelType> ChannelTypes => new TheoryData<ChannelType>
        {
            ChannelType.Stream,
            (ChannelType)42,   // a number the real SDK may have and the enum does not name
            (ChannelType)(-7),
        };

        [Theory]
        [MemberData(nameof(ChannelTypes))]
        public void AChannelTypeIsWrittenAndReadAsItsNumber(ChannelType type)
        {
            var w = new JsonWriter();
            new PublishOptions { ChannelType = type }.WriteTo(w);
            var written = JsonValue.Parse(w.ToString());
            Assert.Equal((int)type, written["channelType"].AsInt32());
            Assert.Equal(type, PublishOptions.Read(written).ChannelType);
        }

        [Fact]
        public void DefaultsAreTheNamedValues()
        {
            Assert.Equal(ChannelType.Message, new PublishOptions().ChannelType);
            Assert.Equal(KivLogLevel.Error, new LogConfig().Level);
        }

        [Fact]
        public async Task TheNamedValuesAreThoseOfTheLoopbackEvents()
        {
            var engine = Open(Unique("u"));
            var link = Next<LinkStateEventArgs>(engine, e => true);
            var connection = Next<ConnectionStateChangedArgs>(engine, e => true);
            await engine.Client.LoginAsync("token");
            var changed = (await link).Event;
            Assert.Equal(LinkState.Idle, changed.PreviousState);
            Assert.Equal(LinkState.Connected, changed.CurrentState);
            Assert.Equal(LinkOperation.Login, changed.Operation);
            Assert.Equal(ConnectionState.Connected, (await connection).State);
            Assert.Equal(ConnectionStateReason.LoginSucceeded, (await connection).Reason);
        }

        [Fact]
        public async Task RetryAndLockNameMayBeLeftOut()
        {
            var engine = await LoginAsync(Unique("u"));
            string channel = Unique("c");
            await engine.Client.SubscribeAsync(channel, new SubscribeOptions { WithLock = true });
            await engine.Lock.SetLockAsync(channel, MessageChannel, "pen", 30);
            var acquired = await engine.Lock.AcquireLockAsync(channel, MessageChannel, "pen");
            Assert.Equal(0, acquired.ErrorCode);
            Assert.Equal(MessageChannel, acquired.ChannelType);

            var data = new Metadata { Items = new[] { new MetadataItem { Key = "k", Value = "v" } } };
            var options = new MetadataOptions();
            Assert.Equal(0, (await engine.Storage.SetChannelMetadataAsync(channel, MessageChannel, data, options)).ErrorCode);
            Assert.Equal(0, (await engine.Storage.UpdateChannelMetadataAsync(channel, MessageChannel, data, options)).ErrorCode);
            Assert.Equal(0, (await engine.Storage.RemoveChannelMetadataAsync(channel, MessageChannel, data, options)).ErrorCode);
        }
    }
}
