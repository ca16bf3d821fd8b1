using System;
using System.Collections.Concurrent;
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
    {
        private const string CreateApi = "KivClient_create";
        private static readonly TimeSpan DispatcherWait = TimeSpan.FromSeconds(5);
        private static readonly ConcurrentDictionary<string, byte[]> ApiNameBytes =
            new ConcurrentDictionary<string, byte[]>();
        private static readonly Func<string, byte[]> EncodeName = Utf8.EncodeZ;
        [ThreadStatic] private static byte[] resultBuffer;

        private readonly EventDispatcher dispatcher;
        private readonly SinkHandle sink;
        private readonly EngineHandle engine;
        private readonly RequestTable requests = new RequestTable();
        private int disposed;
        private long openId;

        /// <summary>Creates the engine and its SDK client ("KivClient_create") with config.</summary>
        /// <exception cref="KivException">The SDK refused the client; <see cref="KivException.Code"/> is its error code.</exception>
        public KivEngine(KivConfig config)
        {
            if (config == null) throw new ArgumentNullException(nameof(config));
            dispatcher = new EventDispatcher(Deliver, "VelmoKiv events");
            try
            {
                sink = SinkHandle.Create(dispatcher.Callback);
                engine = EngineHandle.Create(sink);
            }
            catch
            {
                sink?.Dispose();
                dispatcher.Stop(TimeSpan.Zero);
                throw;
            }
            InitApis();
            openId = OpenEngines.Add(this);
            try
            {
                var w = new JsonWriter().BeginObject().Key("config");
                config.WriteTo(w);
                var result = Invoke(CreateApi, w.EndObject().ToString(), null, sink.DangerousGetHandle(), 0);
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

        /// <summary>How long an asynchronous call waits for its result event unless told otherwise.</summary>
        public TimeSpan DefaultTimeout { get; set; } = TimeSpan.FromSeconds(30);

        /// <summary>A handler threw; the exception stopped there. Exceptions thrown here are ignored.</summary>
        public event EventHandler<HandlerFailedEventArgs> HandlerFailed;

        /// <summary>Every event, before its typed event is raised.</summary>
        public event EventHandler<KivEvent> EventReceived;

        /// <summary>Events dropped because they could not be copied (memory exhausted).</summary>
        public long DroppedEvents => dispatcher.Dropped;

        public bool IsDisposed => Volatile.Read(ref disposed) != 0;

        /// <summary>
        /// Destroys the native engine (after any call in progress), then its
        /// sink, then lets the dispatcher finish the events already received.
        /// Requests still waiting fail with <see cref="ObjectDisposedException"/>.
        /// </summary>
        public void Dispose() => Close(DispatcherWait);

        internal void Close(TimeSpan dispatcherWait)
        {
            if (Interlocked.Exchange(ref disposed, 1) != 0) return;
            OpenEngines.Remove(openId);
            engine?.Dispose();
            sink?.Dispose();
            requests.Close(new ObjectDisposedException(nameof(KivEngine)));
            dispatcher.Stop(dispatcherWait);
        }

        // ---- calls ---------------------------------------------------------

        /// <summary>Calls apiName; throws unless the library answers expectedCode.</summary>
        internal unsafe JsonValue Invoke(string apiName, string paramsJson, byte[] payload, int expectedCode)
        {
            if (payload == null) return Invoke(apiName, paramsJson, payload, IntPtr.Zero, expectedCode);
            // An empty payload still gets an address of its own.
            var bytes = payload.Length == 0 ? new byte[1] : payload;
            fixed (byte* p = bytes) return Invoke(apiName, paramsJson, payload, (IntPtr)p, expectedCode);
        }

        private unsafe JsonValue Invoke(string apiName, string paramsJson, byte[] payload, IntPtr buffer, int expectedCode)
        {
            if (IsDisposed) throw new ObjectDisposedException(nameof(KivEngine));
            byte[] name = ApiNameBytes.GetOrAdd(apiName, EncodeName);
            byte[] parameters = Utf8.EncodeZ(paramsJson);
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
                        ParamsLength = (uint)(parameters.Length - 1),
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
            }
            if (code != expectedCode) throw KivException.ForCode(apiName, code);
            int end = Array.IndexOf(result, (byte)0);
            fixed (byte* r = result)
            {
                string text = Utf8.Decode(r, end < 0 ? result.Length : end);
                return text.Length == 0 ? JsonValue.Null : JsonValue.Parse(text);
            }
        }

        /// <summary>
        /// An asynchronous call: {"result":0,"requestId":N} now, then the event
        /// carrying N. A result of another value means the call was refused.
        /// </summary>
        internal async Task<T> InvokeAsync<T>(string apiName, string paramsJson, byte[] payload,
                                              TimeSpan? timeout, CancellationToken cancellationToken)
            where T : KivEvent
        {
            cancellationToken.ThrowIfCancellationRequested();
            Task<KivEvent> pending;
            requests.BeginCall();
            try
            {
                var answer = Invoke(apiName, paramsJson, payload, 0);
                int result = answer["result"].AsInt32();
                if (result != 0 || !answer.Has("requestId")) throw KivException.ForResult(apiName, result);
                pending = requests.Await(answer["requestId"].AsUInt64(), apiName, timeout ?? DefaultTimeout,
                                         cancellationToken);
            }
            catch
            {
                requests.AbandonCall();
                throw;
            }
            var ev = await pending.ConfigureAwait(false);
            if (ev.ErrorCodeOrZero != 0) throw new KivRequestException(apiName, ev);
            return ev as T ?? throw new KivException(apiName, 0,
                $"{apiName}: request answered by {ev.Name}, not by a {typeof(T).Name}");
        }

        // ---- events --------------------------------------------------------

        // On the dispatcher thread.
        private void Deliver(string name, string json, byte[][] payloads)
        {
            var ev = KivEvents.Read(name, json, payloads);
            try
            {
                requests.Deliver(ev);
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

        /// <summary>Runs every handler of one event; one that throws does not stop the others.</summary>
        private void Raise<T>(EventHandler<T> handlers, T ev) where T : KivEvent
        {
            if (handlers == null) return;
            foreach (EventHandler<T> handler in handlers.GetInvocationList())
            {
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

        private void ReportHandlerFailure(KivEvent ev, Exception e)
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
