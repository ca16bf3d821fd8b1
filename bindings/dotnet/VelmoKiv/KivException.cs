using System;

namespace VelmoKiv
{
    /// <summary>A call the library answered with a code other than the call's success code.</summary>
    public class KivException : Exception
    {
        public KivException(string apiName, int code, string message) : base(message)
        {
            ApiName = apiName;
            Code = code;
        }

        /// <summary>The API name of the call.</summary>
        public string ApiName { get; }

        /// <summary>The library's code (-2 bad parameters, -7 no client, ...) or the SDK's error code.</summary>
        public int Code { get; }

        internal static KivException ForCode(string apiName, int code) =>
            new KivException(apiName, code, $"{apiName} answered {code} ({KivCodes.Describe(code)})");

        internal static KivException ForResult(string apiName, int result) =>
            new KivException(apiName, result,
                $"{apiName} was refused with result {result} ({KivCodes.Describe(result)})");
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
