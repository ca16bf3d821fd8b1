namespace VelmoKiv
{
    public sealed partial class ClientApi
    {
        /// <summary>The level of the library's log as a plain number, for levels <see cref="KivLogLevel"/> does not name.</summary>
        /// <param name="level">The lowest level written; 0 writes nothing.</param>
        /// <exception cref="System.ObjectDisposedException">The engine was disposed.</exception>
        /// <exception cref="KivException">The library refused the level.</exception>
        public void SetLogLevel(int level) => SetLogLevel((KivLogLevel)level);

        /// <summary>The largest size of a log file in KiB before it rolls over; 0 changes nothing.</summary>
        /// <param name="kilobytes">The size in KiB.</param>
        /// <exception cref="KivException">The library refused the size.</exception>
        public void SetLogFileSizeInKBytes(uint kilobytes) => SetLogFileSize(kilobytes);
    }

    public sealed partial class LogConfig
    {
        /// <summary>The initial log level: the same as <see cref="Level"/>.</summary>
        public KivLogLevel LogLevel
        {
            get => Level;
            set => Level = value;
        }
    }
}
