using System;
using System.IO;
using System.Reflection;
using System.Runtime.InteropServices;

namespace VelmoKiv.Native
{
    /// <summary>
    /// Finds the native library: the path given to <see cref="KivLibrary.Path"/>
    /// or in VELMO_KIV_LIBRARY first, then the runtime's own search (which
    /// covers a package's runtimes/&lt;rid&gt;/native folder through the
    /// application's deps.json), then runtimes/&lt;rid&gt;/native beside the
    /// binding for hosts that copy the package's files without a deps.json.
    /// </summary>
    internal static class NativeLibraryLoader
    {
        internal const string PathVariable = "VELMO_KIV_LIBRARY";
        internal const string OutputVariable = "VELMO_KIV_LIBRARY_OUTPUT";
        internal static readonly object Gate = new object();
        private static bool installed;

        /// <summary>Whether the library's location was fixed (its first use has begun).</summary>
        internal static bool Installed
        {
            get
            {
                lock (Gate) return installed;
            }
        }

        internal static void Install()
        {
            lock (Gate)
            {
                if (installed) return;
                installed = true;
                KeepLibraryOffStandardOutput();
#if NET
                NativeLibrary.SetDllImportResolver(typeof(NativeLibraryLoader).Assembly, Resolve);
#else
                PreloadOnWindows();
#endif
            }
        }

        /// <summary>
        /// The library writes its log lines to standard output as well as to
        /// its file unless VELMO_KIV_LIBRARY_OUTPUT says "stderr" or "none";
        /// it reads the process's own environment, which on Unix
        /// <see cref="Environment.SetEnvironmentVariable(string, string)"/>
        /// does not reach. The host's choice is passed on; without one the
        /// lines stay off the host's output ("none"), before the first is written.
        /// </summary>
        private static void KeepLibraryOffStandardOutput()
        {
            var chosen = Environment.GetEnvironmentVariable(OutputVariable);
            var value = chosen == "stdout" || chosen == "stderr" || chosen == "none" ? chosen : "none";
            try
            {
                if (RuntimeInformation.IsOSPlatform(OSPlatform.Windows))
                    Environment.SetEnvironmentVariable(OutputVariable, value);
                else
                    SetEnvironmentUnix(OutputVariable, value, 1);
            }
            catch (Exception e) when (e is DllNotFoundException || e is EntryPointNotFoundException)
            {
                // A C library without setenv: the lines stay where the library writes them.
            }
        }

        [DllImport("libc", EntryPoint = "setenv", CallingConvention = CallingConvention.Cdecl)]
        private static extern int SetEnvironmentUnix(string name, string value, int overwrite);

        internal static string? OverridePath()
        {
            var configured = KivLibrary.Path;
            if (!string.IsNullOrEmpty(configured)) return configured;
            var fromEnvironment = Environment.GetEnvironmentVariable(PathVariable);
            return string.IsNullOrEmpty(fromEnvironment) ? null : fromEnvironment;
        }

        internal static string RuntimeIdentifier()
        {
            string os = RuntimeInformation.IsOSPlatform(OSPlatform.Windows) ? "win"
                : RuntimeInformation.IsOSPlatform(OSPlatform.OSX) ? "osx" : "linux";
            string arch;
            switch (RuntimeInformation.ProcessArchitecture)
            {
                case Architecture.X86: arch = "x86"; break;
                case Architecture.Arm: arch = "arm"; break;
                case Architecture.Arm64: arch = "arm64"; break;
                default: arch = "x64"; break;
            }
            return os + "-" + arch;
        }

        internal static string FileName()
        {
            if (RuntimeInformation.IsOSPlatform(OSPlatform.Windows)) return NativeMethods.LibraryName + ".dll";
            if (RuntimeInformation.IsOSPlatform(OSPlatform.OSX)) return "lib" + NativeMethods.LibraryName + ".dylib";
            return "lib" + NativeMethods.LibraryName + ".so";
        }

        /// <summary>runtimes/&lt;rid&gt;/native/&lt;file&gt; beside the binding's assembly, when it exists.</summary>
        internal static string? BesideAssembly()
        {
            var folder = Path.GetDirectoryName(typeof(NativeLibraryLoader).Assembly.Location);
            if (string.IsNullOrEmpty(folder)) return null;
            var candidate = Path.Combine(folder, "runtimes", RuntimeIdentifier(), "native", FileName());
            return File.Exists(candidate) ? candidate : null;
        }

#if NET
        private static IntPtr Resolve(string name, Assembly assembly, DllImportSearchPath? searchPath)
        {
            if (name != NativeMethods.LibraryName) return IntPtr.Zero;
            var forced = OverridePath();
            if (forced != null) return NativeLibrary.Load(forced);
            if (NativeLibrary.TryLoad(name, assembly, searchPath, out var handle)) return handle;
            var beside = BesideAssembly();
            return beside != null ? NativeLibrary.Load(beside) : IntPtr.Zero;
        }
#else
        [DllImport("kernel32", CharSet = CharSet.Unicode, SetLastError = true)]
        private static extern IntPtr LoadLibraryExW(string path, IntPtr file, uint flags);

        private const uint LoadWithAlteredSearchPath = 0x00000008;

        // Without a resolver hook, a library loaded by its full path first is
        // the one every later import of the same module name binds to on
        // Windows; its folder is searched for the SDK's DLL. Elsewhere the
        // runtime's own search applies (set the loader's path there).
        private static void PreloadOnWindows()
        {
            if (!RuntimeInformation.IsOSPlatform(OSPlatform.Windows)) return;
            var path = OverridePath() ?? BesideAssembly();
            if (path == null) return;
            if (LoadLibraryExW(path, IntPtr.Zero, LoadWithAlteredSearchPath) == IntPtr.Zero)
                throw new DllNotFoundException($"{path} could not be loaded (error {Marshal.GetLastWin32Error()})");
        }
#endif
    }
}
