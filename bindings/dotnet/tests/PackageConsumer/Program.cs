using System;
using System.Text;
using VelmoKiv;

// One user logs in and receives its own message, through the packed native library.
using var engine = new KivEngine(new KivConfig { AppId = "package-consumer", UserId = "consumer" });
await engine.Client.LoginAsync("token");
var channel = "consumer-" + Guid.NewGuid().ToString("N");
await engine.Client.SubscribeAsync(channel, new SubscribeOptions { WithMessage = true });
var received = new System.Threading.Tasks.TaskCompletionSource<string>();
engine.MessageReceived += (s, e) => received.TrySetResult(Encoding.UTF8.GetString(e.Payload));
await engine.Client.PublishAsync(channel, Encoding.UTF8.GetBytes("from the package"), new PublishOptions { ChannelType = ChannelType.Message });
var text = await received.Task.WaitAsync(TimeSpan.FromSeconds(20));
Console.WriteLine($"package consumer received \"{text}\" (SDK {KivLibrary.Version.Text})");
return text == "from the package" ? 0 : 1;
