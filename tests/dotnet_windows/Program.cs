using System;
using System.Diagnostics;
using System.IO;
using System.Linq;
using System.Runtime.InteropServices;
using System.Text;
using System.Threading.Tasks;
using VelmoKiv;

// A Windows .NET process on the packed packages, published self-contained
// (tests/dotnet_windows/run.sh): two users, an exact binary payload, one call
// of each module with its result event, disposal, then an exit with engines
// still open. The argument is the process architecture it must run as.
const ChannelType MessageChannel = ChannelType.Message;  // the stand-in's message channels
Console.OutputEncoding = Encoding.UTF8;  // not the console's code page
Console.WriteLine($"started: {RuntimeInformation.ProcessArchitecture} process on {RuntimeInformation.OSDescription}");
int failures = 0;
void Check(bool ok, string what)
{
    Console.WriteLine((ok ? "ok    " : "FAIL  ") + what);
    if (!ok) ++failures;
}

Check(OperatingSystem.IsWindows(), "runs as a Windows process");
Check(args.Length == 1 && string.Equals(args[0], RuntimeInformation.ProcessArchitecture.ToString(),
                                        StringComparison.OrdinalIgnoreCase),
      $"process architecture is {string.Join(" ", args)}");

string tag = Guid.NewGuid().ToString("N").Substring(0, 8);
string aliceId = "alice-" + tag, bobId = "bob-" + tag, channel = "room-" + tag, stream = "stream-" + tag;
try
{
    var alice = new KivEngine(new KivConfig { AppId = "dotnet-windows", UserId = aliceId });
    var bob = new KivEngine(new KivConfig { AppId = "dotnet-windows", UserId = bobId });

    // The wrapper came with the package into the program's own folder.
    var wrapper = Process.GetCurrentProcess().Modules.Cast<ProcessModule>()
        .FirstOrDefault(m => string.Equals(m.ModuleName, "VelmoKivWrapper.dll", StringComparison.OrdinalIgnoreCase));
    Check(wrapper != null && string.Equals(Path.GetDirectoryName(wrapper.FileName),
                                           Path.TrimEndingDirectorySeparator(AppContext.BaseDirectory),
                                           StringComparison.OrdinalIgnoreCase),
          $"VelmoKivWrapper.dll loaded from the program's folder ({wrapper?.FileName})");

    // Client: login, subscribe, and every byte value published by one user
    // arrives at the other. An asynchronous call whose result event does not
    // come, or comes with an error code, throws.
    await alice.Client.LoginAsync("token-a");
    await bob.Client.LoginAsync("token-b");
    var subscribed = await bob.Client.SubscribeAsync(channel, new SubscribeOptions { WithMessage = true, WithPresence = true });
    Check(subscribed.ChannelName == channel, "alice and bob log in, bob subscribes to the room");
    var payload = Enumerable.Range(0, 256).Select(i => (byte)i).ToArray();
    var arrived = new TaskCompletionSource<MessageEventArgs>(TaskCreationOptions.RunContinuationsAsynchronously);
    bob.MessageReceived += (s, e) => { if (e.Event.Publisher == aliceId) arrived.TrySetResult(e); };
    await alice.Client.PublishAsync(channel, payload,
        new PublishOptions { ChannelType = MessageChannel, StoreInHistory = true, CustomType = "bytes ✓" });
    var message = await arrived.Task.WaitAsync(TimeSpan.FromSeconds(30));
    int differs = Enumerable.Range(0, Math.Min(payload.Length, message.Payload.Length))
        .FirstOrDefault(i => message.Payload[i] != payload[i], -1);
    Check(message.Payload.Length == payload.Length && differs < 0 && message.Event.MessageLength == 256,
          $"bob receives the 256 bytes exactly ({message.Payload.Length} bytes, first difference at {differs})");
    Check(message.Event.CustomType == "bytes ✓", $"the custom type crosses as UTF-8 ({message.Event.CustomType})");

    // Stream channel: create and join.
    alice.StreamChannel.CreateStreamChannel(stream);  // throws when refused
    var joined = await alice.StreamChannel.JoinAsync(stream, new JoinChannelOptions { Token = "token-a" });
    Check(joined.ChannelName == stream && joined.UserId == aliceId, $"alice joins it ({joined.Json})");

    // Storage: metadata written by one user, read by the other.
    await alice.Storage.SetUserMetadataAsync(aliceId,
        new Metadata { Items = new[] { new MetadataItem { Key = "city", Value = "Zürich" } } }, new MetadataOptions());
    var metadata = await bob.Storage.GetUserMetadataAsync(aliceId);
    Check(metadata.Data.Items.Any(i => i.Key == "city" && i.Value == "Zürich"), $"bob reads alice's metadata ({metadata.Json})");

    // Lock: set, then its result names it.
    var locked = await alice.Lock.SetLockAsync(channel, MessageChannel, "pen", 30);
    Check(locked.LockName == "pen" && locked.ChannelName == channel, $"alice sets a lock ({locked.Json})");

    // Presence: bob is in the room he subscribed to.
    var who = await alice.Presence.WhoNowAsync(channel, MessageChannel, new PresenceOptions { IncludeUserId = true });
    Check(who.UserStateList.Any(u => u.UserId == bobId), $"alice sees bob in the room ({who.Json})");

    // History: the stored message comes back byte for byte.
    var history = await bob.History.GetMessagesAsync(channel, MessageChannel, new GetHistoryMessagesOptions { MessageCount = 10 });
    Check(history.Payloads.Any(p => p.SequenceEqual(payload)), $"history gives back the 256 bytes ({history.Payloads.Count} messages)");

    // Disposal: bob goes; later calls on him fail, alice still works.
    bob.Dispose();
    bool refused = false;
    try { bob.Client.Release(); } catch (ObjectDisposedException) { refused = true; }
    Check(bob.IsDisposed && refused, "a disposed engine refuses calls");
    var left = await alice.StreamChannel.LeaveAsync(stream);
    Check(left.ChannelName == stream, "alice still works after bob is disposed");

    // Exit with alice (and a fresh engine) open and messages in flight.
    var carol = new KivEngine(new KivConfig { AppId = "dotnet-windows", UserId = "carol-" + tag });
    await carol.Client.LoginAsync("token-c");
    await carol.Client.SubscribeAsync(channel, new SubscribeOptions { WithMessage = true });
    for (int i = 0; i < 20; ++i)
        _ = alice.Client.PublishAsync(channel, payload, new PublishOptions { ChannelType = MessageChannel });
}
catch (Exception e)
{
    Check(false, "no exception: " + e);
}
Console.WriteLine(failures == 0 ? "exiting with engines open" : $"{failures} check(s) failed");
return failures == 0 ? 0 : 1;
