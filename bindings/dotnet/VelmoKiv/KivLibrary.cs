using System;
using VelmoKiv.Native;

namespace VelmoKiv
{
    /// <summary>The native library as a whole: where it is loaded from, its version and error texts.</summary>
    public static unsafe class KivLibrary
    {
        private static string? path;

        /// <summary>
        /// The native library to load instead of the one the package carries
        /// (also taken from the environment variable VELMO_KIV_LIBRARY). Set it
        /// before the library is first used (the first engine, version or
        /// error text).
        /// </summary>
        /// <exception cref="InvalidOperationException">
        /// The library is already loaded and the value differs: it would have no effect.
        /// </exception>
        public static string? Path
        {
            get => path;
            set
            {
                lock (NativeLibraryLoader.Gate)
                {
                    if (NativeLibraryLoader.Installed && value != path)
                        throw new InvalidOperationException(
                            $"KivLibrary.Path is set after the native library was loaded (from {path ?? "the default places"}); set it before the first engine");
                    path = value;
                }
            }
        }

        /// <summary>The SDK's version text and build number.</summary>
        public static (string Text, int Build) Version
        {
            get
            {
                int build = 0;
                var text = NativeMethods.TextAt(NativeMethods.GetQuonKivVersion(&build));
                return (text, build);
            }
        }

        /// <summary>The SDK's description of one of its error codes.</summary>
        public static string ErrorReason(int errorCode) =>
            NativeMethods.TextAt(NativeMethods.GetQuonKivErrorReason(errorCode));
    }
}
