using System;
using System.Runtime.InteropServices;

namespace VelmoKiv.Native
{
    /// <summary>
    /// The library's eleven exports. Every import is cdecl with exact names;
    /// text crosses as UTF-8 bytes (never the platform's ANSI code page).
    /// </summary>
    internal static unsafe class NativeMethods
    {
        internal const string LibraryName = "VelmoKivWrapper";
        internal const int ResultBufferSize = 65536;

        static NativeMethods()
        {
            NativeLibraryLoader.Install();
            CheckRecordLayout();
        }

        /// <summary>Refuses to run with records that do not match the library's layout.</summary>
        internal static void CheckRecordLayout()
        {
            int expected = IntPtr.Size == 4 ? 28 : 56;
            int api = sizeof(ApiParam), ev = sizeof(EventParam);
            if (api != expected || ev != expected)
                throw new PlatformNotSupportedException(
                    $"record layout mismatch: ApiParam {api} and EventParam {ev} bytes, the library's are {expected} on a {IntPtr.Size * 8}-bit process");
        }

        [DllImport(LibraryName, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        internal static extern IntPtr CreateQuonKivEngine(IntPtr client);

        [DllImport(LibraryName, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        internal static extern IntPtr CreateQuonKivEngineWithProcTable(IntPtr procTable);

        [DllImport(LibraryName, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        internal static extern void DestroyQuonKivEngine(IntPtr engine);

        [DllImport(LibraryName, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        internal static extern int CallQuonKivApi(IntPtr engine, ApiParam* param);

        [DllImport(LibraryName, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        internal static extern IntPtr CreateQuonKivEventHandler(HostEventCallbacks* callbacks);

        [DllImport(LibraryName, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        internal static extern void DestroyQuonKivEventHandler(IntPtr handler);

        [DllImport(LibraryName, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        internal static extern IntPtr GetQuonKivErrorReason(int errorCode);

        [DllImport(LibraryName, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        internal static extern IntPtr GetQuonKivVersion(int* build);

        /// <summary>A NUL-terminated UTF-8 text owned by the library, or "".</summary>
        internal static string TextAt(IntPtr p)
        {
            if (p == IntPtr.Zero) return "";
            byte* b = (byte*)p;
            int n = 0;
            while (b[n] != 0) ++n;
            return Utf8.Decode(b, n);
        }
    }

    internal static unsafe class Utf8
    {
        private static readonly System.Text.UTF8Encoding Encoding = new System.Text.UTF8Encoding(false, false);

        /// <summary>The text's UTF-8 bytes followed by a NUL (the library also reads some texts up to it).</summary>
        internal static byte[] EncodeZ(string s)
        {
            var bytes = new byte[Encoding.GetByteCount(s) + 1];
            Encoding.GetBytes(s, 0, s.Length, bytes, 0);
            return bytes;
        }

        internal static string Decode(byte* p, int length) =>
            length <= 0 ? "" : Encoding.GetString(p, length);

        internal static string Decode(byte[]? bytes) =>
            bytes == null || bytes.Length == 0 ? "" : Encoding.GetString(bytes, 0, bytes.Length);
    }
}
