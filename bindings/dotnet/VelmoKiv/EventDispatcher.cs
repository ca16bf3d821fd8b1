using System;
using System.Collections.Concurrent;
using System.Collections.Generic;
using System.Runtime.CompilerServices;
using System.Runtime.InteropServices;
using System.Threading;
using System.Threading.Tasks;
using VelmoKiv.Native;

namespace VelmoKiv
{
    /// <summary>
    /// Takes one engine's events from the SDK's threads and hands them to the
    /// runtime's thread pool, one at a time and in order. The SDK's callback
    /// copies the event (name, JSON text, payload bytes) and queues it;
    /// running user handlers happens on a pool thread, so no user code runs on
    /// an SDK thread, nothing is thrown back into the library, and no thread
    /// exists per engine. An event no handler listens to, arriving with
    /// nothing queued, is settled in the callback instead (its request
    /// completed): a result awaited only through its task costs no trip
    /// through the pool.
    /// </summary>
    internal sealed unsafe class EventDispatcher
    {
        private readonly struct RawEvent
        {
            public RawEvent(string name, byte[] json, byte[][]? payloads)
            {
                Name = name;
                Json = json;
                Payloads = payloads;
            }

            public readonly string Name;
            public readonly byte[] Json;  // UTF-8, decoded when a handler first reads it
            public readonly byte[][]? Payloads;
        }

        // Event names are the library's constant texts: each address is read
        // once, then only compared byte for byte.
        private sealed class KnownName
        {
            public KnownName(byte[] bytes, string text)
            {
                Bytes = bytes;
                Text = text;
            }

            public readonly byte[] Bytes;
            public readonly string Text;
        }

        private static readonly ConcurrentDictionary<IntPtr, KnownName> Names = new ConcurrentDictionary<IntPtr, KnownName>();

        // The dispatcher whose handler the current thread runs, if any.
        [ThreadStatic] private static EventDispatcher? running;

        private readonly object gate = new object();
        private readonly Queue<RawEvent> queue = new Queue<RawEvent>();
        private readonly Action<string, byte[], byte[][]?> deliver;
        private readonly Func<string, byte[], byte[][]?, bool> settle;
        private readonly WaitCallback drainCallback;
        private bool scheduled;   // a drain is queued on the pool or running
        private bool stopped;     // nothing more is delivered (also read without the lock)
        private bool draining;    // stop once the queue is empty
        private TaskCompletionSource<bool>? drained;
        private long dropped;
        private long discarded;

        /// <param name="deliver">Reads one event and runs its handlers, on a pool thread.</param>
        /// <param name="settle">
        /// On the SDK's thread, when nothing is queued or being delivered:
        /// true when the event needs no delivery (no handler listens, any
        /// request it answers is completed); it runs no user code.
        /// </param>
        internal EventDispatcher(Action<string, byte[], byte[][]?> deliver, Func<string, byte[], byte[][]?, bool> settle)
        {
            this.deliver = deliver;
            this.settle = settle;
            drainCallback = _ => Drain();
            Callback = OnEvent;
        }

        /// <summary>The delegate handed to the native sink.</summary>
        internal OnEventCallback Callback { get; }

        /// <summary>Events that could not be copied (memory exhausted); they are dropped, never thrown.</summary>
        internal long Dropped => Interlocked.Read(ref dropped);

        /// <summary>Events still queued when the engine was disposed; they were never delivered.</summary>
        internal long Discarded => Interlocked.Read(ref discarded);

        /// <summary>Events queued and not yet delivered.</summary>
        internal int Queued
        {
            get
            {
                lock (gate) return queue.Count;
            }
        }

        internal bool IsDispatcherThread => running == this;

        /// <summary>Whether delivery has ended: no handler may start any more.</summary>
        internal bool IsStopped => Volatile.Read(ref stopped);

        // Runs on SDK threads.
        [MethodImpl(HotPath.Optimized)]
        private void OnEvent(EventParam* e)
        {
            try
            {
                if (e == null) return;
                string name = NameAt(e->EventName);
                var json = new byte[e->Data == null ? 0 : checked((int)e->DataLength)];
                if (json.Length > 0) Marshal.Copy((IntPtr)e->Data, json, 0, json.Length);
                byte[][]? payloads = null;
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
                bool schedule;
                lock (gate)
                {
                    if (stopped)
                    {
                        ++discarded;
                        return;
                    }
                    // Nothing before it waits for delivery: settled here, it is in order.
                    if (!scheduled && Settled(name, json, payloads)) return;
                    queue.Enqueue(new RawEvent(name, json, payloads));
                    schedule = !scheduled;
                    scheduled = true;
                }
                if (schedule) ThreadPool.UnsafeQueueUserWorkItem(drainCallback, null);
            }
            catch
            {
                Interlocked.Increment(ref dropped);
            }
        }

        // Under the lock. Whatever goes wrong here, the event is delivered as any other.
        [MethodImpl(HotPath.Optimized)]
        private bool Settled(string name, byte[] json, byte[][]? payloads)
        {
            try
            {
                return settle(name, json, payloads);
            }
            catch
            {
                return false;
            }
        }

        [MethodImpl(HotPath.Optimized)]
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
            Names[(IntPtr)p] = new KnownName(bytes, text);
            return text;
        }

        // On a pool thread; at most one at a time per dispatcher.
        [MethodImpl(HotPath.Optimized)]
        private void Drain()
        {
            var previous = running;
            running = this;
            try
            {
                while (true)
                {
                    RawEvent raw;
                    lock (gate)
                    {
                        if (stopped || queue.Count == 0)
                        {
                            scheduled = false;
                            FinishDrainLocked();
                            return;
                        }
                        raw = queue.Dequeue();
                    }
                    try
                    {
                        deliver(raw.Name, raw.Json, raw.Payloads);
                    }
                    catch
                    {
                        // deliver reports handler failures itself; nothing leaves a pool thread.
                    }
                }
            }
            finally
            {
                running = previous;
            }
        }

        private void FinishDrainLocked()
        {
            if (!draining) return;
            stopped = true;
            drained?.TrySetResult(true);
        }

        /// <summary>
        /// Nothing queued is delivered any more and no handler starts after
        /// this returns; the events still queued are counted as discarded.
        /// Does not wait for a handler that is running now.
        /// </summary>
        internal void Stop()
        {
            lock (gate)
            {
                stopped = true;
                discarded += queue.Count;
                queue.Clear();
                drained?.TrySetResult(true);
            }
        }

        /// <summary>
        /// Delivers what is queued, then stops. The task completes when the
        /// queue is empty (at once when called from this dispatcher's own
        /// handler, which cannot wait for itself).
        /// </summary>
        internal Task StopAfterDrainAsync()
        {
            lock (gate)
            {
                if (stopped) return Task.CompletedTask;
                draining = true;
                if (!scheduled)
                {
                    FinishDrainLocked();
                    return Task.CompletedTask;
                }
                if (IsDispatcherThread) return Task.CompletedTask;
                drained ??= new TaskCompletionSource<bool>(TaskCreationOptions.RunContinuationsAsynchronously);
                return drained.Task;
            }
        }
    }
}
