using System;
using System.Collections.Generic;
using System.Diagnostics;
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

        private sealed class Pending
        {
            public readonly TaskCompletionSource<KivEvent> Completion =
                new TaskCompletionSource<KivEvent>(TaskCreationOptions.RunContinuationsAsynchronously);
            public CancellationTokenRegistration Registration;
            public long Deadline;  // Stopwatch ticks; long.MaxValue: none
            public string ApiName;
            public TimeSpan Timeout;
        }

        // One timer per table ends the requests past their time-out, rather
        // than one timer per request.
        private static readonly TimeSpan SweepPeriod = TimeSpan.FromMilliseconds(25);
        private Timer sweeper;

        private readonly object gate = new object();
        private readonly Dictionary<ulong, Pending> pending = new Dictionary<ulong, Pending>();
        private readonly Dictionary<ulong, KivEvent> early = new Dictionary<ulong, KivEvent>();
        private int callsInProgress;
        private Exception closedWith;

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
        internal Task<KivEvent> Await(ulong requestId, string apiName, TimeSpan timeout, CancellationToken cancel)
        {
            var p = new Pending
            {
                ApiName = apiName,
                Timeout = timeout,
                Deadline = timeout == System.Threading.Timeout.InfiniteTimeSpan
                    ? long.MaxValue
                    : Stopwatch.GetTimestamp() + (long)(timeout.TotalSeconds * Stopwatch.Frequency),
            };
            KivEvent already = null;
            lock (gate)
            {
                // Collect a result that came first before the last call's end clears them.
                if (early.TryGetValue(requestId, out already))
                    early.Remove(requestId);
                else if (closedWith == null)
                {
                    pending[requestId] = p;
                    if (sweeper == null && p.Deadline != long.MaxValue)
                        sweeper = new Timer(_ => Sweep(), null, SweepPeriod, SweepPeriod);
                }
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
            if (cancel.CanBeCanceled)
            {
                // Registered after the request is in the table: a token already
                // cancelled runs the callback now, and finds it there.
                p.Registration = cancel.Register(() => Cancel(requestId, p, cancel));
                if (p.Completion.Task.IsCompleted) p.Registration.Dispose();
            }
            return p.Completion.Task;
        }

        private void Sweep()
        {
            long now = Stopwatch.GetTimestamp();
            List<KeyValuePair<ulong, Pending>> expired = null;
            lock (gate)
            {
                foreach (var entry in pending)
                {
                    if (entry.Value.Deadline > now) continue;
                    (expired ?? (expired = new List<KeyValuePair<ulong, Pending>>())).Add(entry);
                }
                if (expired != null)
                    foreach (var entry in expired) pending.Remove(entry.Key);
            }
            if (expired == null) return;
            foreach (var entry in expired)
            {
                var p = entry.Value;
                p.Registration.Dispose();
                p.Completion.TrySetException(new TimeoutException(
                    $"{p.ApiName}: no result for request {entry.Key} within {p.Timeout}"));
            }
        }

        /// <summary>Completes the request the event answers; false when none waits for it.</summary>
        internal bool Deliver(KivEvent ev)
        {
            ulong? id = ev.RequestIdOrNull;
            if (id == null) return false;
            Pending p;
            lock (gate)
            {
                if (!pending.TryGetValue(id.Value, out p))
                {
                    if (callsInProgress > 0 && early.Count < MaxEarlyResults) early[id.Value] = ev;
                    return false;
                }
                pending.Remove(id.Value);
            }
            Dispose(p);
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
                sweeper?.Dispose();
                sweeper = null;
                all = new List<Pending>(pending.Values);
                pending.Clear();
                early.Clear();
            }
            foreach (var p in all)
            {
                Dispose(p);
                p.Completion.TrySetException(reason);
            }
        }

        private void EndCallLocked()
        {
            if (--callsInProgress == 0) early.Clear();
        }

        private void Cancel(ulong id, Pending p, CancellationToken token)
        {
            if (Remove(id, p)) p.Completion.TrySetCanceled(token);
        }

        private bool Remove(ulong id, Pending p)
        {
            lock (gate)
            {
                if (!pending.TryGetValue(id, out var current) || current != p) return false;
                pending.Remove(id);
            }
            Dispose(p);
            return true;
        }

        private static void Dispose(Pending p) => p.Registration.Dispose();
    }
}
