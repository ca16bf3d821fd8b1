namespace VelmoKiv
{
    /// <summary>The library's log levels, as "KivClient_setLogLevel" and <see cref="LogConfig.Level"/> take them.</summary>
    public enum KivLogLevel
    {
        None = 0,
        Info = 1,
        Warn = 2,
        Error = 4,
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
