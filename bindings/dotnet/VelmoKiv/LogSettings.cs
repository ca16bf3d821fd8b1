namespace VelmoKiv
{
    /// <summary>The library's log levels, as "KivClient_setLogLevel" and <see cref="LogConfig.Level"/> take them.</summary>
    public enum KivLogLevel
    {
        /// <summary>Nothing is written, neither file nor standard output.</summary>
        None = 0,
        /// <summary>Everything, calls with their parameters and results included.</summary>
        Info = 1,
        /// <summary>Warnings and worse.</summary>
        Warn = 2,
        /// <summary>Errors and worse: the binding's default.</summary>
        Error = 4,
        /// <summary>Fatal errors only.</summary>
        Fatal = 8,
    }

    public sealed partial class ClientApi
    {
        /// <summary>The level of the library's log (file and standard output) for the whole process.</summary>
        /// <param name="level">The lowest level written; <see cref="KivLogLevel.None"/> writes nothing.</param>
        /// <exception cref="KivException">The library refused the level.</exception>
        public void SetLogLevel(KivLogLevel level) => SetLogLevel((int)level);

        /// <summary>The largest size of a log file in KiB before it rolls over; 0 changes nothing.</summary>
        /// <param name="kilobytes">The size in KiB.</param>
        /// <exception cref="KivException">The library refused the size.</exception>
        public void SetLogFileSizeInKBytes(uint kilobytes) => SetLogFileSize(kilobytes);
    }

    public sealed partial class LogConfig
    {
        /// <summary>The initial log level, typed.</summary>
        public KivLogLevel LogLevel
        {
            get => (KivLogLevel)Level;
            set => Level = (int)value;
        }
    }
}
