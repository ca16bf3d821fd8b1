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
if (args.Length > 1 && args[1] == "calls")
{
    var calls = Stopwatch.StartNew();
    for (int i = 0; i < n; ++i) engine.Client.GetStorage();
    Console.WriteLine($"local calls: {n / calls.Elapsed.TotalSeconds:F0}/s");
    calls.Restart();
    var tasks = new Task[n];
    for (int i = 0; i < n; ++i) tasks[i] = engine.Client.SubscribeAsync("dotnet-rate", new SubscribeOptions());
    Console.WriteLine($"async calls issued: {n / calls.Elapsed.TotalSeconds:F0}/s");
    await Task.WhenAll(tasks);
    Console.WriteLine($"async calls completed: {n / calls.Elapsed.TotalSeconds:F0}/s");
    return;
}
int seen = 0, target = 0;
var all = new TaskCompletionSource<bool>(TaskCreationOptions.RunContinuationsAsynchronously);
engine.MessageReceived += (s, e) =>
{
    if (e.Payload.Length > 0 && ++seen == target) all.TrySetResult(true);
};
var payload = Encoding.UTF8.GetBytes("small message");
var option = new PublishOptions { ChannelType = 1 };

// One round of n publishes; the first is the warm-up (the JIT compiles the
// call and event paths), the second is measured.
async Task<(double Seconds, double Issued)> Round()
{
    seen = 0;
    target = n;
    all = new TaskCompletionSource<bool>(TaskCreationOptions.RunContinuationsAsynchronously);
    var clock = Stopwatch.StartNew();
    var published = new Task[n];
    for (int i = 0; i < n; ++i) published[i] = engine.Client.PublishAsync("dotnet-rate", payload, option);
    double issuedIn = clock.Elapsed.TotalSeconds;
    await all.Task.WaitAsync(TimeSpan.FromSeconds(60));
    double total = clock.Elapsed.TotalSeconds;
    await Task.WhenAll(published);
    return (total, issuedIn);
}

await Round();
var (seconds, issued) = await Round();
Console.WriteLine($"dotnet host: {seen} message events in {seconds:F3} s = {seen / seconds:F0} events/s (calls issued in {issued:F3} s)");
