using System;
using System.Collections.Generic;
using System.Threading;

namespace VelmoKiv
{
    /// <summary>
    /// Engines not yet disposed. At process exit they are closed, so the
    /// SDK's threads end before the runtime shuts down instead of keeping it
    /// waiting; nothing is waited for, so an exit from inside a handler is not
    /// held up. Held weakly: an abandoned engine can still be collected.
    /// </summary>
    internal static class OpenEngines
    {
        private static readonly object Gate = new object();
        private static readonly Dictionary<long, WeakReference<KivEngine>> Engines =
            new Dictionary<long, WeakReference<KivEngine>>();
        private static long lastId;
        private static bool hooked;

        /// <summary>Registers the engine; the id removes it again.</summary>
        internal static long Add(KivEngine engine)
        {
            long id = Interlocked.Increment(ref lastId);
            lock (Gate)
            {
                if (!hooked)
                {
                    hooked = true;
                    AppDomain.CurrentDomain.ProcessExit += (s, e) => CloseAll();
                }
                Engines[id] = new WeakReference<KivEngine>(engine);
            }
            return id;
        }

        internal static void Remove(long id)
        {
            lock (Gate) Engines.Remove(id);
        }

        internal static void CloseAll()
        {
            var open = new List<KivEngine>();
            lock (Gate)
            {
                foreach (var weak in Engines.Values)
                    if (weak.TryGetTarget(out var engine)) open.Add(engine);
            }
            foreach (var engine in open)
            {
                try
                {
                    engine.CloseAtExit();
                }
                catch
                {
                    // Exiting anyway: one engine's failure must not keep the others open.
                }
            }
        }
    }
}
