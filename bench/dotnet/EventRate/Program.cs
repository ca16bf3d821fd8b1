using System;
using System.Diagnostics;
using System.Text;
using System.Threading;
using System.Threading.Tasks;
using VelmoKiv;

// Events per second delivered into C# handlers: the same run as the C host's
// (one user, its own channel, N small publishes, clock stops at the N-th
// message event handled).
int n = args.Length > 0 ? int.Parse(args[0]) : 10000;
using var engine = new KivEngine(new KivConfig
{
    AppId = "bench",
    UserId = "dotnet-host-" + Environment.ProcessId,
    LogConfig = new LogConfig { LogLevel = KivLogLevel.Error },
});
await engine.Client.LoginAsync("t");
await engine.Client.SubscribeAsync("dotnet-rate", new SubscribeOptions { WithMessage = true });
int seen = 0;
var all = new TaskCompletionSource<bool>(TaskCreationOptions.RunContinuationsAsynchronously);
engine.MessageEvent += (s, e) =>
{
    if (e.Payload.Length > 0 && ++seen == n) all.TrySetResult(true);
};
var payload = Encoding.UTF8.GetBytes("small message");
var option = new PublishOptions { ChannelType = 1 };
var clock = Stopwatch.StartNew();
var published = new Task[n];
for (int i = 0; i < n; ++i) published[i] = engine.Client.PublishAsync("dotnet-rate", payload, option);
await all.Task.WaitAsync(TimeSpan.FromSeconds(60));
double seconds = clock.Elapsed.TotalSeconds;
await Task.WhenAll(published);
Console.WriteLine($"dotnet host: {seen} message events in {seconds:F3} s = {seen / seconds:F0} events/s");
