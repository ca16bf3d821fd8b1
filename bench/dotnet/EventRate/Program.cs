using System;
using System.Diagnostics;
using System.Runtime.InteropServices;
using System.Text;
using System.Threading;
using System.Threading.Tasks;
using VelmoKiv;

// Events per second delivered into C# handlers, in the scenario of the C host
// both binding benchmarks compare with (bench/c_event_rate): one user
// publishes N messages of B bytes as fast as it can, another, subscribed to
// the channel, handles the message events; the log is off; the clock runs
// from the first publish to the N-th message event handled.
//   EventRate [N=10000] [B=64]      EventRate N calls   (call rates instead)
int n = args.Length > 0 ? int.Parse(args[0]) : 10000;
bool callsOnly = args.Length > 1 && args[1] == "calls";
int size = args.Length > 1 && !callsOnly ? int.Parse(args[1]) : 64;
KivEngine User(string userId) => new KivEngine(new KivConfig
{
    AppId = "bench",
    UserId = userId + "-" + Environment.ProcessId,
    LogConfig = new LogConfig { LogLevel = KivLogLevel.None },
});
using var sender = User("dotnet-sender");
using var engine = User("dotnet-receiver");
await sender.Client.LoginAsync("t");
await engine.Client.LoginAsync("t");
await engine.Client.SubscribeAsync("bench", new SubscribeOptions { WithMessage = true });
if (callsOnly)
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
    if (e.Payload.Length == size && ++seen == target) all.TrySetResult(true);
};
var payload = new byte[size];
Array.Fill(payload, (byte)'x');
var option = new PublishOptions { ChannelType = ChannelType.Message };

// One round of n publishes; the first is the warm-up (the JIT compiles the
// call and event paths), the second is measured.
async Task<(double Seconds, double Issued)> Round()
{
    seen = 0;
    target = n;
    all = new TaskCompletionSource<bool>(TaskCreationOptions.RunContinuationsAsynchronously);
    var clock = Stopwatch.StartNew();
    var published = new Task[n];
    for (int i = 0; i < n; ++i) published[i] = sender.Client.PublishAsync("bench", payload, option);
    double issuedIn = clock.Elapsed.TotalSeconds;
    await all.Task.WaitAsync(TimeSpan.FromSeconds(60));
    double total = clock.Elapsed.TotalSeconds;
    await Task.WhenAll(published);
    return (total, issuedIn);
}

await Round();
var (seconds, issued) = await Round();
Console.WriteLine($"dotnet host: {seen} message events in {seconds:F3} s = {seen / seconds:F0} events/s (calls issued in {issued:F3} s)");

// The same events published by the C host's own publisher, loaded into this
// process (bench/c_event_rate/c_event_sender.c): only the handlers differ
// from the C host's run.
var senderPath = Environment.GetEnvironmentVariable("VELMO_KIV_C_SENDER");
var libraryPath = Environment.GetEnvironmentVariable("VELMO_KIV_LIBRARY");
if (!string.IsNullOrEmpty(senderPath) && !string.IsNullOrEmpty(libraryPath))
unsafe
{
    var run = (delegate* unmanaged<byte*, byte*, long, long, double>)NativeLibrary.GetExport(
        NativeLibrary.Load(senderPath), "c_event_sender_run");
    double FromC()
    {
        seen = 0;
        target = n;
        all = new TaskCompletionSource<bool>(TaskCreationOptions.RunContinuationsAsynchronously);
        var path = Encoding.UTF8.GetBytes(libraryPath + "\0");
        var channel = Encoding.UTF8.GetBytes("bench\0");
        var clock = Stopwatch.StartNew();
        fixed (byte* p = path)
        fixed (byte* c = channel)
            if (run(p, c, n, size) < 0) throw new InvalidOperationException("the C publisher could not start");
        all.Task.Wait(TimeSpan.FromSeconds(60));
        return clock.Elapsed.TotalSeconds;
    }
    FromC();
    double fromC = FromC();
    Console.WriteLine($"dotnet handlers, C publisher: {seen} message events in {fromC:F3} s = {seen / fromC:F0} events/s");
}
