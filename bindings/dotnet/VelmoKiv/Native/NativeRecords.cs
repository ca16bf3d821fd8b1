using System;
using System.Runtime.InteropServices;

namespace VelmoKiv.Native
{
    // The library's records: seven naturally aligned fields, 28 bytes on a
    // 32-bit process and 56 on a 64-bit one (checked in NativeMethods).

    [StructLayout(LayoutKind.Sequential)]
    internal unsafe struct ApiParam
    {
        public byte* ApiName;
        public byte* Params;
        public uint ParamsLength;
        public byte* ResultBuffer;
        public IntPtr* Buffers;
        public uint* BufferLengths;
        public uint BufferCount;
    }

    [StructLayout(LayoutKind.Sequential)]
    internal unsafe struct EventParam
    {
        public byte* EventName;
        public byte* Data;
        public uint DataLength;
        public byte* ResultBuffer;
        public IntPtr* Buffers;
        public uint* BufferLengths;
        public uint BufferCount;
    }

    // Called on SDK threads; cdecl on every platform, as the library declares it.
    [UnmanagedFunctionPointer(CallingConvention.Cdecl)]
    internal unsafe delegate void OnEventCallback(EventParam* eventParam);

    [StructLayout(LayoutKind.Sequential)]
    internal struct HostEventCallbacks
    {
        public IntPtr OnEvent;
    }
}
