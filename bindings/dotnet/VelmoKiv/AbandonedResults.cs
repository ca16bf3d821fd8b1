using System;
using System.Collections.Generic;

namespace VelmoKiv
{
    public sealed partial class KivEngine
    {
        // What to undo when a request its caller stopped waiting for (token
        // cancelled or time-out) succeeds after all. Only a lock matters: a
        // lock granted to nobody who knows it would stay held. Every other
        // request's late result stands, as the SDK carried it out.
        private static readonly Dictionary<string, Action<KivEngine, KivEvent>> UndoLate =
            new Dictionary<string, Action<KivEngine, KivEvent>>
            {
                ["KivLock_acquireLock_cd2dbc2"] = (engine, ev) =>
                {
                    if (ev is AcquireLockResultArgs granted && granted.ErrorCode == 0)
                        engine.Observe(engine.Lock.ReleaseLockAsync(granted.ChannelName, granted.ChannelType,
                                                                     granted.LockName));
                },
            };

        // On the dispatcher thread, for the late result of an abandoned request.
        private void Undo(string apiName, KivEvent ev)
        {
            if (IsDisposed || !UndoLate.TryGetValue(apiName, out var undo)) return;
            try
            {
                undo(this, ev);
            }
            catch (Exception e)
            {
                ReportHandlerFailure(ev, e);
            }
        }

        // A request nobody awaits: its failure is reported, never left unobserved.
        private void Observe(System.Threading.Tasks.Task task)
        {
            task.ContinueWith(t => ReportHandlerFailure(null, t.Exception!.GetBaseException()),
                              System.Threading.CancellationToken.None,
                              System.Threading.Tasks.TaskContinuationOptions.OnlyOnFaulted,
                              System.Threading.Tasks.TaskScheduler.Default);
        }
    }
}
