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

        private sealed class Pending
        {
            public readonly TaskCompletionSource<KivEvent> Completion =
                new TaskCompletionSource<KivEvent>(TaskCreationOptions.RunContinuationsAsynchronously);
            public CancellationTokenRegistration Registration;
            public CancellationTokenSource Timer;
        }

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
            var p = new Pending();
            KivEvent already = null;
            lock (gate)
            {
                // Collect a result that came first before the last call's end clears them.
                if (early.TryGetValue(requestId, out already))
                    early.Remove(requestId);
                else if (closedWith == null)
                    pending[requestId] = p;
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
            if (timeout != Timeout.InfiniteTimeSpan)
            {
                p.Timer = new CancellationTokenSource(timeout);
                p.Timer.Token.Register(() => Fail(requestId, p,
                    new TimeoutException($"{apiName}: no result for request {requestId} within {timeout}")));
            }
            if (cancel.CanBeCanceled)
                p.Registration = cancel.Register(() => Cancel(requestId, p, cancel));
            return p.Completion.Task;
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

        private void Fail(ulong id, Pending p, Exception reason)
        {
            if (Remove(id, p)) p.Completion.TrySetException(reason);
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

        private static void Dispose(Pending p)
        {
            p.Registration.Dispose();
            p.Timer?.Dispose();
        }
    }
}
