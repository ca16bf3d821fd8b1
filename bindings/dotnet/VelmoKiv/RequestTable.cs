using System;
using System.Collections.Generic;
using System.Runtime.CompilerServices;
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

        private abstract class Pending
        {
            protected Pending(string apiName, TimeSpan? limit)
            {
                ApiName = apiName;
                Limit = limit;
            }

            public readonly string ApiName;
            public readonly TimeSpan? Limit;
            public CancellationTokenRegistration Registration;
            public Timer? Timer;

            public abstract bool IsCompleted { get; }

            /// <summary>The result event: the caller's value, or its failure when it carries an error.</summary>
            public abstract void Complete(KivEvent ev);

            public abstract void Fail(Exception reason);

            public abstract void Cancel(CancellationToken token);
        }

        // The caller's own task is completed here, so a result costs no
        // continuation of the binding's: callers' continuations run on the
        // pool, never on the dispatcher that delivered the result.
        private sealed class Pending<T> : Pending where T : KivEvent
        {
            public Pending(string apiName, TimeSpan? limit) : base(apiName, limit) { }

            public readonly TaskCompletionSource<T> Completion =
                new TaskCompletionSource<T>(TaskCreationOptions.RunContinuationsAsynchronously);

            public override bool IsCompleted => Completion.Task.IsCompleted;

            [MethodImpl(HotPath.Optimized)]
            public override void Complete(KivEvent ev)
            {
                if (ev.ErrorCodeOrZero != 0)
                    Completion.TrySetException(new KivRequestException(ApiName, ev));
                else if (ev is T typed)
                    Completion.TrySetResult(typed);
                else
                    Completion.TrySetException(new KivException(
                        ApiName, 0, $"{ApiName}: request answered by {ev.Name}, not by a {typeof(T).Name}"));
            }

            public override void Fail(Exception reason) => Completion.TrySetException(reason);

            public override void Cancel(CancellationToken token) => Completion.TrySetCanceled(token);
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

        [MethodImpl(HotPath.Optimized)]
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

        /// <summary>
        /// The call returned requestId: the task completes with the event
        /// carrying it, or fails with its error.
        /// </summary>
        [MethodImpl(HotPath.Optimized)]
        internal Task<T> Await<T>(ulong requestId, string apiName, TimeSpan? limit, CancellationToken cancel)
            where T : KivEvent
        {
            var p = new Pending<T>(apiName, limit);
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
                    p.Fail(closedWith);
                    return p.Completion.Task;
                }
            }
            if (already != null)
            {
                p.Complete(already);
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
                if (p.IsCompleted) p.Registration.Dispose();
            }
            return p.Completion.Task;
        }

        /// <summary>
        /// Completes the request the event answers; false when none waits for
        /// it. abandonedApi names the call when its caller stopped waiting.
        /// </summary>
        [MethodImpl(HotPath.Optimized)]
        internal bool Deliver(KivEvent ev, out string? abandonedApi)
        {
            abandonedApi = null;
            ulong? id = ev.RequestIdOrNull;
            return id != null && Complete(id.Value, ev, true, out abandonedApi);
        }

        /// <summary>
        /// Whether the event, which no handler listens to, needs no delivery:
        /// it answers no request, or the waiting one it completes here. A
        /// result kept for a call in progress or undone for an abandoned one
        /// is left to <see cref="Deliver"/>; a body that does not parse throws.
        /// </summary>
        [MethodImpl(HotPath.Optimized)]
        internal bool TrySettle(KivEvent ev)
        {
            ulong? id = ev.RequestIdOrNull;
            return id == null || Complete(id.Value, ev, false, out _);
        }

        // Completes the waiting request; otherwise, when recordOtherwise, keeps
        // the result for a call in progress or names the abandoned call.
        [MethodImpl(HotPath.Optimized)]
        private bool Complete(ulong id, KivEvent ev, bool recordOtherwise, out string? abandonedApi)
        {
            abandonedApi = null;
            Pending? p;
            lock (gate)
            {
                if (!pending.TryGetValue(id, out p))
                {
                    if (!recordOtherwise) return false;
                    if (abandoned.TryGetValue(id, out abandonedApi))
                        abandoned.Remove(id);
                    else if (callsInProgress > 0 && early.Count < MaxEarlyResults)
                        early[id] = ev;
                    return false;
                }
                RemoveLocked(id, p);
            }
            p.Registration.Dispose();
            p.Complete(ev);
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
                p.Fail(reason);
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
                p.Cancel(token.Value);
            else
                p.Fail(new TimeoutException(
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
