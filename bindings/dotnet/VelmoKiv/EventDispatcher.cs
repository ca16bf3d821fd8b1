using System;
using System.Collections.Concurrent;
using System.Collections.Generic;
using System.Runtime.InteropServices;
using System.Threading;
using VelmoKiv.Native;

namespace VelmoKiv
{
    /// <summary>
    /// Takes events from the SDK's threads and hands them to one thread of the
    /// binding. The SDK's callback only copies the event (name, JSON text,
    /// payload bytes) and queues it; reading the JSON, completing requests and
    /// running user handlers happen on the dispatcher thread, so no user code
    /// runs on an SDK thread and nothing can be thrown back into the library.
    /// </summary>
    internal sealed unsafe class EventDispatcher
    {
        private readonly struct RawEvent
        {
            public RawEvent(string name, byte[] json, byte[][] payloads)
            {
                Name = name;
                Json = json;
                Payloads = payloads;
            }

            public readonly string Name;
            public readonly byte[] Json;  // UTF-8, decoded on the dispatcher thread
            public readonly byte[][] Payloads;
        }

        // Event names are the library's constant texts: each address is read
        // once, then only compared byte for byte.
        private sealed class KnownName
        {
            public byte[] Bytes;
            public string Text;
        }

        private static readonly ConcurrentDictionary<IntPtr, KnownName> Names = new ConcurrentDictionary<IntPtr, KnownName>();

        private readonly object gate = new object();
        private Queue<RawEvent> incoming = new Queue<RawEvent>();
        private Queue<RawEvent> draining = new Queue<RawEvent>();
        private readonly Action<string, string, byte[][]> deliver;
        private readonly Thread thread;
        private bool stopping;
        private long dropped;

        internal EventDispatcher(Action<string, string, byte[][]> deliver, string threadName)
        {
            this.deliver = deliver;
            Callback = OnEvent;
            thread = new Thread(Run) { IsBackground = true, Name = threadName };
            thread.Start();
        }

        /// <summary>The delegate handed to the native sink.</summary>
        internal OnEventCallback Callback { get; }

        /// <summary>Events that could not be copied (memory exhausted); they are dropped, never thrown.</summary>
        internal long Dropped => Interlocked.Read(ref dropped);

        internal bool IsDispatcherThread => Thread.CurrentThread == thread;

        // Runs on SDK threads.
        private void OnEvent(EventParam* e)
        {
            try
            {
                if (e == null) return;
                string name = NameAt(e->EventName);
                var json = new byte[e->Data == null ? 0 : checked((int)e->DataLength)];
                if (json.Length > 0) Marshal.Copy((IntPtr)e->Data, json, 0, json.Length);
                byte[][] payloads = null;
                if (e->BufferCount > 0 && e->Buffers != null)
                {
                    payloads = new byte[e->BufferCount][];
                    for (int i = 0; i < payloads.Length; ++i)
                    {
                        int length = e->BufferLengths == null ? 0 : checked((int)e->BufferLengths[i]);
                        var bytes = new byte[length];
                        if (length > 0 && e->Buffers[i] != IntPtr.Zero) Marshal.Copy(e->Buffers[i], bytes, 0, length);
                        payloads[i] = bytes;
                    }
                }
                lock (gate)
                {
                    incoming.Enqueue(new RawEvent(name, json, payloads));
                    if (incoming.Count == 1) Monitor.Pulse(gate);
                }
            }
            catch
            {
                Interlocked.Increment(ref dropped);
            }
        }

        private static string NameAt(byte* p)
        {
            if (p == null) return "";
            int n = 0;
            while (p[n] != 0) ++n;
            if (Names.TryGetValue((IntPtr)p, out var known) && known.Bytes.Length == n)
            {
                int i = 0;
                while (i < n && known.Bytes[i] == p[i]) ++i;
                if (i == n) return known.Text;
            }
            var bytes = new byte[n];
            Marshal.Copy((IntPtr)p, bytes, 0, n);
            var text = Utf8.Decode(p, n);
            Names[(IntPtr)p] = new KnownName { Bytes = bytes, Text = text };
            return text;
        }

        private void Run()
        {
            while (true)
            {
                lock (gate)
                {
                    while (incoming.Count == 0 && !stopping) Monitor.Wait(gate);
                    if (incoming.Count == 0) return;
                    // Swap queues: the SDK threads keep queueing while this batch runs.
                    var batch = incoming;
                    incoming = draining;
                    draining = batch;
                }
                while (draining.Count > 0)
                {
                    var raw = draining.Dequeue();
                    string json;
                    fixed (byte* j = raw.Json) json = Utf8.Decode(j, raw.Json.Length);
                    deliver(raw.Name, json, raw.Payloads);
                }
            }
        }

        /// <summary>
        /// Lets the thread finish the events already queued and end; waits for
        /// it at most wait (not at all from the dispatcher thread itself).
        /// </summary>
        internal bool Stop(TimeSpan wait)
        {
            lock (gate)
            {
                stopping = true;
                Monitor.Pulse(gate);
            }
            return IsDispatcherThread || thread.Join(wait);
        }
    }
}
