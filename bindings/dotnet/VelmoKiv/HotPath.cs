using System.Runtime.CompilerServices;

namespace VelmoKiv
{
    /// <summary>
    /// Methods every call or event passes through are compiled optimized at
    /// their first call. Tiered compilation would run them unoptimized until
    /// its background compiler catches up, which on a busy machine can take
    /// longer than a whole burst of messages.
    /// </summary>
    internal static class HotPath
    {
        // MethodImplOptions.AggressiveOptimization; runtimes without tiers ignore it.
        internal const MethodImplOptions Optimized = (MethodImplOptions)512;
    }
}
