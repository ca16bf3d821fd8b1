using System;
using System.Text;
using System.Threading.Tasks;
using VelmoKiv;

// Alice and Bob log in, subscribe to one channel, see each other arrive and
// exchange a few lines. Every call is awaited; events print as they arrive.
const ChannelType MessageChannel = ChannelType.Message;  // the loopback SDK's message channels
string channel = "dotnet-chat-" + Guid.NewGuid().ToString("N").Substring(0, 6);

using var alice = Join("alice");
using var bob = Join("bob");
await alice.Client.LoginAsync("alice-token");
await bob.Client.LoginAsync("bob-token");
var options = new SubscribeOptions { WithMessage = true, WithPresence = true };
await alice.Client.SubscribeAsync(channel, options);
await bob.Client.SubscribeAsync(channel, options);

var who = await alice.Presence.WhoNowAsync(channel, MessageChannel, new PresenceOptions { IncludeUserId = true });
Console.WriteLine($"[presence] on {channel}: {string.Join(", ", Array.ConvertAll(who.UserStateList, u => u.UserId))}");

await Say(alice, "hi bob");
await Say(bob, "hello alice, ça va?");
await Say(alice, "très bien ✓");
await Task.Delay(200);  // let the last lines print before the engines close
return 0;

KivEngine Join(string user)
{
    // Only warnings and errors of the library's own log reach the console.
    var engine = new KivEngine(new KivConfig
    {
        AppId = "dotnet-chat",
        UserId = user,
        LogConfig = new LogConfig { LogLevel = KivLogLevel.Warn },
    });
    engine.MessageReceived += (s, e) =>
        Console.WriteLine($"[{user}] {e.Event.Publisher}: {Encoding.UTF8.GetString(e.Payload)}");
    engine.PresenceChanged += (s, e) =>
    {
        if (e.Event.Publisher != "" && e.Event.Publisher != user)
            Console.WriteLine($"[{user}] presence: {e.Event.Publisher} (event type {e.Event.Type})");
    };
    engine.HandlerFailed += (s, e) => Console.Error.WriteLine($"[{user}] handler failed: {e.Exception.Message}");
    return engine;
}

async Task Say(KivEngine from, string text)
{
    var result = await from.Client.PublishAsync(channel, Encoding.UTF8.GetBytes(text),
        new PublishOptions { ChannelType = MessageChannel });
    Console.WriteLine($"[sent] request {result.RequestId}: {text}");
}
