using System;
using System.Collections.Concurrent;
using System.Runtime.CompilerServices;
using System.Threading;
using System.Threading.Tasks;
using VelmoKiv.Json;
using VelmoKiv.Native;

namespace VelmoKiv
{
    /// <summary>
    /// One client of the messaging SDK: a native engine with its own event
    /// sink. Calls go through the typed members (<see cref="Client"/>,
    /// <see cref="Storage"/>, ...); events arrive as typed .NET events, raised
    /// on this engine's dispatcher thread. Dispose it when done; engines still
    /// open when the process exits are closed then.
    /// </summary>
    public sealed partial class KivEngine : IDisposable
#if NET
        , IAsyncDisposable
#endif
    {
        private const string CreateApi = "KivClient_create";
        private static readonly ConcurrentDictionary<string, byte[]> ApiNameBytes =
            new ConcurrentDictionary<string, byte[]>();
        private static readonly Func<string, byte[]> EncodeName = Utf8.EncodeZ;
        [ThreadStatic] private static byte[]? resultBuffer;

        private readonly EventDispatcher dispatcher;
        private readonly SinkHandle sink;
        private readonly EngineHandle engine;
        private readonly RequestTable requests;
        private int disposed;
        private readonly long openId;

        /// <summary>Creates the engine and its SDK client ("KivClient_create") with config.</summary>
        /// <param name="config">The client's configuration; its log level is applied before the client is made.</param>
        /// <exception cref="ArgumentNullException"><paramref name="config"/> is null.</exception>
        /// <exception cref="KivException">The SDK refused the client; <see cref="KivException.Code"/> is its error code.</exception>
        public KivEngine(KivConfig config)
        {
            if (config == null) throw new ArgumentNullException(nameof(config));
            requests = new RequestTable(this);
            dispatcher = new EventDispatcher(Deliver, Settle);
            SinkHandle? createdSink = null;
            try
            {
                createdSink = SinkHandle.Create(dispatcher.Callback);
                engine = EngineHandle.Create(createdSink);
                sink = createdSink;
            }
            catch
            {
                createdSink?.Dispose();
                dispatcher.Stop();
                GC.SuppressFinalize(this);
                throw;
            }
            InitApis();
            openId = OpenEngines.Add(this);
            try
            {
                var w = new JsonWriter().BeginObject().Key("config");
                config.WriteTo(w);
                var result = ReadResult(CreateApi, Call(CreateApi, w.EndObject(), null, sink.DangerousGetHandle(), 0));
                int errorCode = result["errorCode"].AsInt32();
                if (errorCode != 0)
                    throw new KivException(CreateApi, errorCode,
                        $"{CreateApi} failed with {errorCode} ({KivLibrary.ErrorReason(errorCode)})");
            }
            catch
            {
                Dispose();
                throw;
            }
        }

        /// <summary>
        /// An engine the program dropped without disposing it, and that no
        /// request waits on, is closed here: its native engine and sink go.
        /// </summary>
        ~KivEngine()
        {
            if (Interlocked.Exchange(ref disposed, 1) != 0) return;
            dispatcher?.Stop();
            engine?.Dispose();
            sink?.Dispose();
        }

        /// <summary>
        /// How long an asynchronous call waits for its result event;
        /// <see cref="Timeout.InfiniteTimeSpan"/> or <see cref="TimeSpan.MaxValue"/> waits without limit.
        /// </summary>
        /// <exception cref="ArgumentOutOfRangeException">The value is negative and not infinite.</exception>
        public TimeSpan DefaultTimeout
        {
            get => defaultTimeout;
            set
            {
                RequestTable.Limit(value, nameof(value));
                defaultTimeout = value;
            }
        }

        private TimeSpan defaultTimeout = TimeSpan.FromSeconds(30);

        /// <summary>A handler threw; the exception stopped there. Exceptions thrown here are ignored.</summary>
        public event EventHandler<HandlerFailedEventArgs>? HandlerFailed;

        /// <summary>Every event, before its typed event is raised.</summary>
        public event EventHandler<KivEvent>? EventReceived;

        /// <summary>Events dropped because they could not be copied (memory exhausted).</summary>
        public long DroppedEvents => dispatcher.Dropped;

        /// <summary>Events that were received but still queued when the engine was disposed, so never delivered.</summary>
        public long DiscardedEvents => dispatcher.Discarded;

        /// <summary>Whether <see cref="Dispose"/> (or DisposeAsync) has run.</summary>
        public bool IsDisposed => Volatile.Read(ref disposed) != 0;

        internal int QueuedEvents => dispatcher.Queued;

        internal int ArmedTimers => requests.ArmedTimers;

        /// <summary>
        /// Destroys the native engine (after any call in progress), then its
        /// sink. No handler of this engine starts after this returns; events
        /// still queued are discarded and counted in <see cref="DiscardedEvents"/>.
        /// A handler running on another thread is not waited for. Requests
        /// still waiting fail with <see cref="ObjectDisposedException"/>.
        /// </summary>
        public void Dispose()
        {
            if (!CloseNative()) return;
            dispatcher.Stop();
        }

#if NET
        /// <summary>
        /// As <see cref="Dispose"/>, but the events already received are
        /// delivered first; completes when they have been (at once when called
        /// from one of this engine's own handlers).
        /// </summary>
        /// <returns>Completes once the queued events have been delivered.</returns>
        public ValueTask DisposeAsync()
        {
            if (!CloseNative()) return default;
            return new ValueTask(dispatcher.StopAfterDrainAsync());
        }
#endif

        /// <summary>Closes the engine at process exit: nothing is waited for.</summary>
        internal void CloseAtExit() => Dispose();

        private bool CloseNative()
        {
            if (Interlocked.Exchange(ref disposed, 1) != 0) return false;
            GC.SuppressFinalize(this);
            OpenEngines.Remove(openId);
            engine?.Dispose();
            sink?.Dispose();
            requests.Close(new ObjectDisposedException(nameof(KivEngine)));
            return true;
        }

        // ---- calls ---------------------------------------------------------

        /// <summary>Calls apiName; throws unless the library answers expectedCode.</summary>
        internal JsonValue Invoke(string apiName, JsonWriter paramsJson, byte[]? payload, int expectedCode) =>
            ReadResult(apiName, Call(apiName, paramsJson, payload, expectedCode));

        /// <summary>As <see cref="Invoke"/>; the result stays in the thread's buffer, unread.</summary>
        [MethodImpl(HotPath.Optimized)]
        private unsafe byte[] Call(string apiName, JsonWriter paramsJson, byte[]? payload, int expectedCode)
        {
            if (payload == null) return Call(apiName, paramsJson, payload, IntPtr.Zero, expectedCode);
            // An empty payload still gets an address of its own.
            var bytes = payload.Length == 0 ? new byte[1] : payload;
            fixed (byte* p = bytes) return Call(apiName, paramsJson, payload, (IntPtr)p, expectedCode);
        }

        [MethodImpl(HotPath.Optimized)]
        private unsafe byte[] Call(string apiName, JsonWriter paramsJson, byte[]? payload, IntPtr buffer, int expectedCode)
        {
            if (IsDisposed) throw new ObjectDisposedException(nameof(KivEngine));
            byte[] name = ApiNameBytes.GetOrAdd(apiName, EncodeName);
            byte[] parameters = paramsJson.TerminatedBytes();
            byte[] result = resultBuffer ?? (resultBuffer = new byte[NativeMethods.ResultBufferSize]);
            int code;
            bool added = false;
            try
            {
                engine.DangerousAddRef(ref added);
                fixed (byte* n = name)
                fixed (byte* p = parameters)
                fixed (byte* r = result)
                {
                    IntPtr slot = buffer;
                    uint length = payload == null ? 0u : (uint)payload.Length;
                    r[0] = 0;
                    var call = new ApiParam
                    {
                        ApiName = n,
                        Params = p,
                        ParamsLength = (uint)paramsJson.Length,
                        ResultBuffer = r,
                        Buffers = buffer == IntPtr.Zero ? null : &slot,
                        BufferLengths = buffer == IntPtr.Zero ? null : &length,
                        BufferCount = buffer == IntPtr.Zero ? 0u : 1u,
                    };
                    code = NativeMethods.CallQuonKivApi(engine.DangerousGetHandle(), &call);
                }
            }
            catch (ObjectDisposedException)
            {
                throw new ObjectDisposedException(nameof(KivEngine));
            }
            finally
            {
                if (added) engine.DangerousRelease();
                paramsJson.Recycle();
            }
            if (code != expectedCode) throw KivException.ForCode(apiName, code);
            return result;
        }

        /// <summary>
        /// The JSON the library wrote into the result buffer. The library cuts
        /// a longer result to fit; a result that fills the buffer is cut, and
        /// is refused rather than parsed as something it is not.
        /// </summary>
        [MethodImpl(HotPath.Optimized)]
        internal static unsafe JsonValue ReadResult(string apiName, byte[] result)
        {
            int end = ResultLength(apiName, result);
            fixed (byte* r = result)
            {
                string text = Utf8.Decode(r, end);
                return text.Length == 0 ? JsonValue.Null : JsonValue.Parse(text);
            }
        }

        /// <summary>The length of the result text; throws when the library cut it.</summary>
        private static int ResultLength(string apiName, byte[] result)
        {
            int end = Array.IndexOf(result, (byte)0);
            if (end < 0 || end >= NativeMethods.ResultBufferSize - 1) throw new KivResultTruncatedException(apiName, end < 0 ? result.Length : end);
            return end;
        }

        /// <summary>An asynchronous call's answer: its "result" and, when it has one, its request id.</summary>
        [MethodImpl(HotPath.Optimized)]
        private static (int Result, ulong? RequestId) ReadAnswer(string apiName, byte[] answer)
        {
            if (AnswerReader.TryRead(answer, ResultLength(apiName, answer), out int result, out ulong? requestId))
                return (result, requestId);
            var parsed = ReadResult(apiName, answer);
            return (parsed["result"].AsInt32(), parsed.Has("requestId") ? parsed["requestId"].AsUInt64() : (ulong?)null);
        }

        /// <summary>A synchronous call's status: anything but 0 fails as an asynchronous call's refusal does.</summary>
        internal void ThrowUnlessZero(string apiName, int result)
        {
            if (result != 0) throw KivException.ForResult(apiName, result);
        }

        /// <summary>
        /// An asynchronous call: {"result":0,"requestId":N} now, then the event
        /// carrying N. A result of another value means the call was refused.
        /// Every failure, the call's own included, comes through the task.
        /// </summary>
        [MethodImpl(HotPath.Optimized)]
        internal Task<T> InvokeAsync<T>(string apiName, JsonWriter paramsJson, byte[]? payload,
                                        CancellationToken cancellationToken)
            where T : KivEvent
        {
            if (cancellationToken.IsCancellationRequested) return Task.FromCanceled<T>(cancellationToken);
            try
            {
                var limit = RequestTable.Limit(defaultTimeout, nameof(DefaultTimeout));
                requests.BeginCall();
                try
                {
                    var (result, requestId) = ReadAnswer(apiName, Call(apiName, paramsJson, payload, 0));
                    if (result != 0 || requestId == null) throw KivException.ForResult(apiName, result);
                    return requests.Await<T>(requestId.Value, apiName, limit, cancellationToken);
                }
                catch
                {
                    requests.AbandonCall();
                    throw;
                }
            }
            catch (Exception e)
            {
                return Task.FromException<T>(e);
            }
        }

        // ---- events --------------------------------------------------------

        // On the dispatcher thread.
        [MethodImpl(HotPath.Optimized)]
        private void Deliver(string name, byte[] json, byte[][]? payloads)
        {
            var ev = Read(name, json, payloads);
            try
            {
                if (!requests.Deliver(ev, out var abandonedApi) && abandonedApi != null) Undo(abandonedApi, ev);
            }
            catch (Exception e)
            {
                // A body that does not parse: no request can be matched to it.
                ReportHandlerFailure(ev, e);
            }
            Raise(EventReceived, ev);
            try
            {
                RaiseTyped(ev);
            }
            catch (Exception e)
            {
                ReportHandlerFailure(ev, e);
            }
        }

        // On an SDK thread, with nothing of this engine queued or being delivered.
        [MethodImpl(HotPath.Optimized)]
        private bool Settle(string name, byte[] json, byte[][]? payloads)
        {
            if (EventReceived != null || HasTypedHandler(name)) return false;
            return requests.TrySettle(Read(name, json, payloads));
        }

        // The event's text is decoded only when something reads it.
        private static KivEvent Read(string name, byte[] json, byte[][]? payloads) =>
            KivEvents.Read(name, null, payloads).WithUtf8Json(json);

        /// <summary>Runs every handler of one event; one that throws does not stop the others.</summary>
        private void Raise<T>(EventHandler<T>? handlers, T ev) where T : KivEvent
        {
            if (handlers == null) return;
            foreach (EventHandler<T> handler in handlers.GetInvocationList())
            {
                // Disposed meanwhile (not draining): no further handler starts.
                if (dispatcher.IsStopped) return;
                try
                {
                    handler(this, ev);
                }
                catch (Exception e)
                {
                    ReportHandlerFailure(ev, e);
                }
            }
        }

        private void ReportHandlerFailure(KivEvent? ev, Exception e)
        {
            try
            {
                HandlerFailed?.Invoke(this, new HandlerFailedEventArgs(ev, e));
            }
            catch
            {
                // A failing failure handler has nowhere left to report to.
            }
        }
    }
}
