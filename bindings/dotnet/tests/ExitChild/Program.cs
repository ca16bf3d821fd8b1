using System;
using System.Text;
using VelmoKiv;

// Two logged-in users with a message in flight, then Main returns with both
// engines open: the process must still end promptly.
var tag = Guid.NewGuid().ToString("N").Substring(0, 8);
var alice = new KivEngine(new KivConfig { AppId = "exit-child", UserId = "alice-" + tag });
var bob = new KivEngine(new KivConfig { AppId = "exit-child", UserId = "bob-" + tag });
await alice.Client.LoginAsync("token");
await bob.Client.LoginAsync("token");
var channel = "exit-" + tag;
await bob.Client.SubscribeAsync(channel, new SubscribeOptions { WithMessage = true });
bob.MessageEvent += (s, e) => { };
for (int i = 0; i < 50; ++i)
    _ = alice.Client.PublishAsync(channel, Encoding.UTF8.GetBytes("m" + i), new PublishOptions { ChannelType = 1 });
Console.WriteLine("exiting with engines open");
return 0;
