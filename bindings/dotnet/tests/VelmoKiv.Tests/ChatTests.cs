using System;
using System.Linq;
using System.Text;
using System.Threading.Tasks;
using Xunit;

namespace VelmoKiv.Tests
{
    /// <summary>Two users on the loopback SDK through the typed calls and events.</summary>
    public class ChatTests : LoopbackTest
    {
        [Fact]
        public async Task TwoUsersExchangeExactBytesPresenceMetadataLocksAndHistory()
        {
            string aliceId = Unique("alice"), bobId = Unique("bob"), channel = Unique("chat");
            var alice = await LoginAsync(aliceId);
            var bob = await LoginAsync(bobId);
            await SubscribeAsync(bob, channel);

            // Every byte value, NULs included, arrives exactly.
            var payload = Enumerable.Range(0, 256).Select(i => (byte)i).Concat(new byte[] { 0, 0, 0xff }).ToArray();
            var arrives = Next<MessageEventArgs>(bob, e => e.Event.Publisher == aliceId);
            var published = await alice.Client.PublishAsync(channel, payload,
                new PublishOptions { ChannelType = MessageChannel, CustomType = "bytes ✓" });
            Assert.Equal(0, published.ErrorCode);
            var message = await arrives;
            Assert.Equal(payload, message.Payload);
            Assert.Equal((ulong)payload.Length, message.Event.MessageLength);
            Assert.Equal("bytes ✓", message.Event.CustomType);
            Assert.Equal(channel, message.Event.ChannelName);

            // Presence: alice joins the channel bob watches.
            var joined = Next<PresenceEventArgs>(bob, e => e.Event.Publisher == aliceId);
            await SubscribeAsync(alice, channel);
            Assert.Equal(channel, (await joined).Event.ChannelName);
            var who = await bob.Presence.WhoNowAsync(channel, MessageChannel,
                new PresenceOptions { IncludeUserId = true });
            Assert.Contains(who.UserStateList, u => u.UserId == aliceId);

            // Metadata written by one user is read back.
            var data = new Metadata { Items = new[] { new MetadataItem { Key = "topic", Value = "tea" } } };
            await alice.Storage.SetChannelMetadataAsync(channel, MessageChannel, data, new MetadataOptions(), "");
            var read = await bob.Storage.GetChannelMetadataAsync(channel, MessageChannel);
            Assert.Contains(read.Data.Items, i => i.Key == "topic" && i.Value == "tea");

            // A lock, then its holder.
            await alice.Lock.SetLockAsync(channel, MessageChannel, "pen", 30);
            var acquired = await alice.Lock.AcquireLockAsync(channel, MessageChannel, "pen", false);
            Assert.Equal("pen", acquired.LockName);
            var locks = await bob.Lock.GetLocksAsync(channel, MessageChannel);
            Assert.Contains(locks.LockDetailList, l => l.LockName == "pen" && l.Owner == aliceId);

            // History gives back the payload bytes of the stored message.
            var stored = Encoding.UTF8.GetBytes("kept");
            await alice.Client.PublishAsync(channel, stored,
                new PublishOptions { ChannelType = MessageChannel, StoreInHistory = true });
            var history = await bob.History.GetMessagesAsync(channel, MessageChannel,
                new GetHistoryMessagesOptions { MessageCount = 10 });
            Assert.Equal(history.MessageList.Length, history.Payloads.Count);
            Assert.Contains(history.Payloads, p => p.SequenceEqual(stored));
        }

        [Fact]
        public void VersionAndErrorReasonCrossAsUtf8()
        {
            var (text, _) = KivLibrary.Version;
            Assert.False(string.IsNullOrEmpty(text));
            Assert.NotNull(KivLibrary.ErrorReason(1));
        }
    }
}
