using System;
using System.Runtime.InteropServices;

namespace VelmoKiv.Native
{
    /// <summary>
    /// The host's event sink: the native handler around a callback delegate.
    /// The delegate is held here, so it lives exactly as long as the native
    /// handler that calls it.
    /// </summary>
    internal sealed unsafe class SinkHandle : SafeHandle
    {
#pragma warning disable CS0414 // held, never read: it keeps the delegate alive
        private OnEventCallback callback;
#pragma warning restore CS0414

        private SinkHandle() : base(IntPtr.Zero, true) { }

        public override bool IsInvalid => handle == IntPtr.Zero;

        internal static SinkHandle Create(OnEventCallback callback)
        {
            var sink = new SinkHandle { callback = callback };
            var callbacks = new HostEventCallbacks { OnEvent = Marshal.GetFunctionPointerForDelegate(callback) };
            IntPtr native = NativeMethods.CreateQuonKivEventHandler(&callbacks);
            if (native == IntPtr.Zero) throw new OutOfMemoryException("CreateQuonKivEventHandler failed");
            sink.SetHandle(native);
            return sink;
        }

        protected override bool ReleaseHandle()
        {
            NativeMethods.DestroyQuonKivEventHandler(handle);
            // Only now can nothing call the delegate any more.
            callback = null;
            return true;
        }
    }

    /// <summary>
    /// A native engine. It holds a reference on its sink, so the sink is
    /// destroyed only after the engine, whatever order Dispose or the
    /// finalizers run in; a call in progress holds the engine the same way.
    /// </summary>
    internal sealed class EngineHandle : SafeHandle
    {
        private SinkHandle sink;

        private EngineHandle() : base(IntPtr.Zero, true) { }

        public override bool IsInvalid => handle == IntPtr.Zero;

        internal static EngineHandle Create(SinkHandle sink)
        {
            var engine = new EngineHandle();
            bool added = false;
            sink.DangerousAddRef(ref added);
            IntPtr native = NativeMethods.CreateQuonKivEngineWithProcTable(IntPtr.Zero);
            if (native == IntPtr.Zero)
            {
                sink.DangerousRelease();
                throw new OutOfMemoryException("CreateQuonKivEngineWithProcTable failed");
            }
            engine.sink = sink;
            engine.SetHandle(native);
            return engine;
        }

        protected override bool ReleaseHandle()
        {
            NativeMethods.DestroyQuonKivEngine(handle);
            sink?.DangerousRelease();
            sink = null;
            return true;
        }
    }
}
