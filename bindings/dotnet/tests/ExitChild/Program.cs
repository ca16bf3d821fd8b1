using System;
using System.Text;
using VelmoKiv;

// Two logged-in users with a message in flight, then, by the first argument:
//   (none)           Main returns with both engines open: the process must still end promptly.
//   exit-in-handler  a message handler calls Environment.Exit(3).
//   quiet            once the first engine exists, nothing is printed but the child's own lines.
var mode = args.Length > 0 ? args[0] : "";
var tag = Guid.NewGuid().ToString("N").Substring(0, 8);
var alice = new KivEngine(new KivConfig { AppId = "exit-child", UserId = "alice-" + tag });
if (mode == "quiet") Console.WriteLine("first engine made");
var bob = new KivEngine(new KivConfig { AppId = "exit-child", UserId = "bob-" + tag });
await alice.Client.LoginAsync("token");
await bob.Client.LoginAsync("token");
var channel = "exit-" + tag;
await bob.Client.SubscribeAsync(channel, new SubscribeOptions { WithMessage = true });
bob.MessageReceived += (s, e) =>
{
    if (mode == "exit-in-handler") Environment.Exit(3);
};
for (int i = 0; i < 50; ++i)
    _ = alice.Client.PublishAsync(channel, Encoding.UTF8.GetBytes("m" + i), new PublishOptions { ChannelType = ChannelType.Message });
if (mode == "exit-in-handler")
{
    await System.Threading.Tasks.Task.Delay(TimeSpan.FromSeconds(30));
    return 1;  // the handler never ran
}
if (mode == "quiet")
{
    alice.Dispose();
    bob.Dispose();
    Console.WriteLine("quiet child done");
    return 0;
}
Console.WriteLine("exiting with engines open");
return 0;
