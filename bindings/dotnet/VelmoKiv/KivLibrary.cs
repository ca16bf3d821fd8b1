using System;
using VelmoKiv.Native;

namespace VelmoKiv
{
    /// <summary>The native library as a whole: where it is loaded from, its version and error texts.</summary>
    public static unsafe class KivLibrary
    {
        private static string path;

        /// <summary>
        /// The native library to load instead of the one the package carries
        /// (also taken from the environment variable VELMO_KIV_LIBRARY). Set it
        /// before the first engine is created; later changes have no effect.
        /// </summary>
        public static string Path
        {
            get => path;
            set => path = value;
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
