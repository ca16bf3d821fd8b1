using System;
using System.Collections.Generic;
using System.Linq;
using System.Reflection;
using System.Threading;
using System.Threading.Tasks;
using VelmoKiv;
using Xunit;

namespace VelmoKiv.Tests
{
    /// <summary>Engines on the loopback SDK, closed after each test; names unique per test.</summary>
    public abstract class LoopbackTest : IDisposable
    {
        public const ChannelType MessageChannel = ChannelType.Message;  // the loopback SDK's message channels
        private readonly List<KivEngine> engines = new List<KivEngine>();

        static LoopbackTest()
        {
            if (Environment.GetEnvironmentVariable("VELMO_KIV_LIBRARY") == null)
                KivLibrary.Path = Metadata("NativeLibrary");
        }

        internal static string Metadata(string key) =>
            typeof(LoopbackTest).Assembly.GetCustomAttributes<AssemblyMetadataAttribute>().First(a => a.Key == key).Value;

        public static string Unique(string prefix) => prefix + "-" + Guid.NewGuid().ToString("N").Substring(0, 10);

        protected KivEngine Open(string userId)
        {
            var engine = new KivEngine(new KivConfig { AppId = "dotnet-tests", UserId = userId });
            engine.DefaultTimeout = TimeSpan.FromSeconds(20);
            engines.Add(engine);
            return engine;
        }

        protected async Task<KivEngine> LoginAsync(string userId)
        {
            var engine = Open(userId);
            var result = await engine.Client.LoginAsync("token-" + userId);
            Assert.Equal(0, result.ErrorCode);
            return engine;
        }

        protected static async Task SubscribeAsync(KivEngine engine, string channel)
        {
            await engine.Client.SubscribeAsync(channel, new SubscribeOptions { WithMessage = true, WithPresence = true });
        }

        /// <summary>The first event of type T matching the filter, raised after this call.</summary>
        protected static Task<T> Next<T>(KivEngine engine, Func<T, bool> match) where T : KivEvent
        {
            var found = new TaskCompletionSource<T>(TaskCreationOptions.RunContinuationsAsynchronously);
            EventHandler<KivEvent> handler = null;
            handler = (s, e) =>
            {
                if (e is T t && match(t) && found.TrySetResult(t)) engine.EventReceived -= handler;
            };
            engine.EventReceived += handler;
            return found.Task.WaitAsync(TimeSpan.FromSeconds(20));
        }

        /// <summary>
        /// Blocks the engine's dispatcher inside a handler until the result is
        /// disposed: later results stay queued. A request is made so that its
        /// result event is the one that blocks.
        /// </summary>
        protected static async Task<IDisposable> HoldDispatcherAsync(KivEngine engine)
        {
            var gate = new ManualResetEventSlim();
            var held = new TaskCompletionSource<bool>(TaskCreationOptions.RunContinuationsAsynchronously);
            string channel = Unique("hold");
            // Events still trailing an earlier call (a login's state changes) pass.
            engine.EventReceived += (s, e) =>
            {
                if (!(e is SubscribeResultArgs r && r.ChannelName == channel) || !held.TrySetResult(true)) return;
                gate.Wait(TimeSpan.FromSeconds(30));
            };
            await engine.Client.SubscribeAsync(channel, new SubscribeOptions());
            await held.Task;
            return new Release(gate);
        }

        private sealed class Release : IDisposable
        {
            private readonly ManualResetEventSlim gate;
            public Release(ManualResetEventSlim gate) { this.gate = gate; }
            public void Dispose() => gate.Set();
        }

        public void Dispose()
        {
            for (int i = engines.Count - 1; i >= 0; --i) engines[i].Dispose();
        }
    }
}
