using System;

namespace VelmoKiv
{
    /// <summary>
    /// A call that failed, synchronous or asynchronous. <see cref="Code"/> is
    /// either one of the library's own codes (named in <see cref="KivCodes"/>;
    /// <see cref="IsLibraryCode"/>) or the SDK's error code, passed through as
    /// the SDK gave it.
    /// </summary>
    public class KivException : Exception
    {
        /// <summary>An exception for a call of apiName that failed with code.</summary>
        /// <param name="apiName">The API name of the call.</param>
        /// <param name="code">The library's or the SDK's code.</param>
        /// <param name="message">The text of the exception.</param>
        public KivException(string apiName, int code, string message) : base(message)
        {
            ApiName = apiName;
            Code = code;
        }

        /// <summary>The API name of the call.</summary>
        public string ApiName { get; }

        /// <summary>The library's code (-2 bad parameters, -7 no client, ...) or the SDK's error code.</summary>
        public int Code { get; }

        /// <summary>Whether <see cref="Code"/> is the library's own code rather than the SDK's.</summary>
        public bool IsLibraryCode => KivCodes.IsLibraryCode(Code);

        internal static KivException ForCode(string apiName, int code) =>
            new KivException(apiName, code, $"{apiName} answered {code} ({KivCodes.Describe(code)})");

        internal static KivException ForResult(string apiName, int result) =>
            new KivException(apiName, result, KivCodes.IsLibraryCode(result)
                ? $"{apiName} was refused with result {result} ({KivCodes.Describe(result)})"
                : $"{apiName} failed with SDK error {result} ({KivLibrary.ErrorReason(result)})");
    }

    /// <summary>An asynchronous request whose result event carries a non-zero error code.</summary>
    public sealed class KivRequestException : KivException
    {
        internal KivRequestException(string apiName, KivEvent result)
            : base(apiName, result.ErrorCodeOrZero,
                   $"{apiName} failed: {result.Name} carries error {result.ErrorCodeOrZero} ({KivLibrary.ErrorReason(result.ErrorCodeOrZero)})")
        {
            Result = result;
        }

        /// <summary>The event that answered the request.</summary>
        public KivEvent Result { get; }
    }

    /// <summary>
    /// A synchronous result longer than the library's result buffer: the
    /// library cut it, so it is not handed out as if it were whole.
    /// </summary>
    public sealed class KivResultTruncatedException : KivException
    {
        internal KivResultTruncatedException(string apiName, int length)
            : base(apiName, 0, $"{apiName}: the result was cut at {length} bytes, the size of the library's result buffer")
        {
            Length = length;
        }

        /// <summary>The bytes of the result that arrived.</summary>
        public int Length { get; }
    }
}
