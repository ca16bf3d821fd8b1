using System;
using System.Collections.Generic;
using System.Threading;
using System.Threading.Tasks;

namespace VelmoKiv
{
    /// <summary>
    /// Asynchronous requests waiting for the event that carries their request
    /// id. A result can arrive before the call that asked for it has returned
    /// its id; while any call is in progress such results are kept, and the
    /// call collects its own when it registers.
    /// </summary>
    internal sealed class RequestTable
    {
        private const int MaxEarlyResults = 65536;
        private const int MaxAbandoned = 65536;

        // The longest time-out a timer takes; longer ones wait without limit.
        private static readonly TimeSpan LongestTimer = TimeSpan.FromMilliseconds(uint.MaxValue - 1.0);

        // Tables with requests waiting, held strongly: an engine a request
        // waits on is not finalized under it, however the program holds it.
        private static readonly HashSet<RequestTable> Waiting = new HashSet<RequestTable>();

        private sealed class Pending
        {
            public Pending(string apiName, TimeSpan? limit)
            {
                ApiName = apiName;
                Limit = limit;
            }

            public readonly TaskCompletionSource<KivEvent> Completion =
                new TaskCompletionSource<KivEvent>(TaskCreationOptions.RunContinuationsAsynchronously);
            public readonly string ApiName;
            public readonly TimeSpan? Limit;
            public CancellationTokenRegistration Registration;
            public Timer? Timer;
        }

        private readonly object owner;
        private readonly object gate = new object();
        private readonly Dictionary<ulong, Pending> pending = new Dictionary<ulong, Pending>();
        private readonly Dictionary<ulong, KivEvent> early = new Dictionary<ulong, KivEvent>();
        // Requests whose caller stopped waiting: the API name, for their late result.
        private readonly Dictionary<ulong, string> abandoned = new Dictionary<ulong, string>();
        private int callsInProgress;
        private int armedTimers;
        private Exception? closedWith;

        internal RequestTable(object owner) { this.owner = owner; }

        /// <summary>The owner, kept alive while it has requests waiting.</summary>
        internal object Owner => owner;

        /// <summary>Time-out timers now armed: one per waiting request that has a limit.</summary>
        internal int ArmedTimers => Volatile.Read(ref armedTimers);

        /// <summary>
        /// The time-out as a timer's limit: null for none (infinite, or beyond
        /// what a timer can wait, such as <see cref="TimeSpan.MaxValue"/>).
        /// </summary>
        internal static TimeSpan? Limit(TimeSpan timeout, string paramName)
        {
            if (timeout == System.Threading.Timeout.InfiniteTimeSpan || timeout > LongestTimer) return null;
            if (timeout < TimeSpan.Zero)
                throw new ArgumentOutOfRangeException(paramName, timeout, "a time-out is positive or infinite");
            return timeout;
        }

        internal void BeginCall()
        {
            lock (gate)
            {
                if (closedWith != null) throw closedWith;
                ++callsInProgress;
            }
        }

        /// <summary>The call failed before it had a request id.</summary>
        internal void AbandonCall()
        {
            lock (gate) EndCallLocked();
        }

        /// <summary>The call returned requestId: the task completes with the event carrying it.</summary>
        internal Task<KivEvent> Await(ulong requestId, string apiName, TimeSpan? limit, CancellationToken cancel)
        {
            var p = new Pending(apiName, limit);
            KivEvent? already = null;
            lock (gate)
            {
                // Collect a result that came first before the last call's end clears them.
                if (early.TryGetValue(requestId, out already))
                    early.Remove(requestId);
                else if (closedWith == null)
                    AddLocked(requestId, p);
                EndCallLocked();
                if (already == null && closedWith != null)
                {
                    p.Completion.TrySetException(closedWith);
                    return p.Completion.Task;
                }
            }
            if (already != null)
            {
                p.Completion.TrySetResult(already);
                return p.Completion.Task;
            }
            if (limit.HasValue)
            {
                var timer = new Timer(_ => Abandon(requestId, p, null), null, System.Threading.Timeout.Infinite,
                                      System.Threading.Timeout.Infinite);
                lock (gate)
                {
                    if (pending.TryGetValue(requestId, out var current) && current == p)
                    {
                        p.Timer = timer;
                        ++armedTimers;
                        timer.Change(limit.Value, System.Threading.Timeout.InfiniteTimeSpan);
                    }
                    else
                        timer.Dispose();
                }
            }
            if (cancel.CanBeCanceled)
            {
                // Registered after the request is in the table: a token already
                // cancelled runs the callback now, and finds it there.
                p.Registration = cancel.Register(() => Abandon(requestId, p, cancel));
                if (p.Completion.Task.IsCompleted) p.Registration.Dispose();
            }
            return p.Completion.Task;
        }

        /// <summary>
        /// Completes the request the event answers; false when none waits for
        /// it. abandonedApi names the call when its caller stopped waiting.
        /// </summary>
        internal bool Deliver(KivEvent ev, out string? abandonedApi)
        {
            abandonedApi = null;
            ulong? id = ev.RequestIdOrNull;
            if (id == null) return false;
            Pending? p;
            lock (gate)
            {
                if (!pending.TryGetValue(id.Value, out p))
                {
                    if (abandoned.TryGetValue(id.Value, out abandonedApi))
                        abandoned.Remove(id.Value);
                    else if (callsInProgress > 0 && early.Count < MaxEarlyResults)
                        early[id.Value] = ev;
                    return false;
                }
                RemoveLocked(id.Value, p);
            }
            p.Registration.Dispose();
            p.Completion.TrySetResult(ev);
            return true;
        }

        /// <summary>Fails every waiting request and every later one.</summary>
        internal void Close(Exception reason)
        {
            List<Pending> all;
            lock (gate)
            {
                closedWith = reason;
                all = new List<Pending>(pending.Values);
                foreach (var p in all) DisarmLocked(p);
                pending.Clear();
                early.Clear();
                abandoned.Clear();
                lock (Waiting) Waiting.Remove(this);
            }
            foreach (var p in all)
            {
                p.Registration.Dispose();
                p.Completion.TrySetException(reason);
            }
        }

        private void EndCallLocked()
        {
            if (--callsInProgress == 0) early.Clear();
        }

        // The caller stops waiting (token cancelled, or no token: timed out).
        // The SDK may still answer; that late result is then recognized.
        private void Abandon(ulong id, Pending p, CancellationToken? token)
        {
            lock (gate)
            {
                if (!pending.TryGetValue(id, out var current) || current != p) return;
                RemoveLocked(id, p);
                if (abandoned.Count < MaxAbandoned) abandoned[id] = p.ApiName;
            }
            p.Registration.Dispose();
            if (token.HasValue)
                p.Completion.TrySetCanceled(token.Value);
            else
                p.Completion.TrySetException(new TimeoutException(
                    $"{p.ApiName}: no result for request {id} within {p.Limit}"));
        }

        private void AddLocked(ulong id, Pending p)
        {
            pending[id] = p;
            if (pending.Count == 1)
                lock (Waiting) Waiting.Add(this);
        }

        private void RemoveLocked(ulong id, Pending p)
        {
            pending.Remove(id);
            DisarmLocked(p);
            if (pending.Count == 0)
                lock (Waiting) Waiting.Remove(this);
        }

        private void DisarmLocked(Pending p)
        {
            if (p.Timer == null) return;
            p.Timer.Dispose();
            p.Timer = null;
            --armedTimers;
        }
    }
}
