using System.Text;
using VelmoKiv.Json;
using Xunit;

namespace VelmoKiv.Tests
{
    /// <summary>A call's answer read from its bytes gives what the full reader gives, or leaves it to it.</summary>
    public class AnswerReaderTests
    {
        public static TheoryData<string, bool> Answers => new TheoryData<string, bool>
        {
            // read directly
            { "{\"result\":0,\"requestId\":42,\"requestId_str\":\"42\"}", true },
            { " { \"requestId\" : 18446744073709551615 , \"result\" : -2 } ", true },
            { "{\"result\":-3}", true },
            { "{\"result\":4294967297,\"requestId\":-1}", true },   // cut to 32 bits; a negative id wraps
            { "{\"result\":1,\"result\":0,\"requestId\":7}", true },  // the last value wins
            { "{\"ok\":true,\"no\":false,\"none\":null,\"s\":\"x\",\"result\":0,\"requestId\":1}", true },
            { "{}", true },
            // left to the full reader
            { "{\"result\":0.5,\"requestId\":1}", false },
            { "{\"result\":0,\"requestId\":1e3}", false },
            { "{\"result\":0,\"nested\":{\"requestId\":9}}", false },
            { "{\"result\":\"0\",\"requestId\":1}", false },
            { "{\"result\":0,\"s\":\"a\\\"b\",\"requestId\":1}", false },
            { "{\"result\":0,\"requestId\":99999999999999999999}", false },
            { "null", false },
        };

        [Theory]
        [MemberData(nameof(Answers))]
        public void ReadsAsTheFullReaderDoes(string text, bool direct)
        {
            var bytes = Encoding.UTF8.GetBytes(text);
            Assert.Equal(direct, AnswerReader.TryRead(bytes, bytes.Length, out int result, out ulong? requestId));
            if (!direct) return;
            var full = JsonValue.Parse(text);
            Assert.Equal(full["result"].AsInt32(), result);
            Assert.Equal(full.Has("requestId") ? full["requestId"].AsUInt64() : (ulong?)null, requestId);
        }

        [Theory]
        [InlineData("{\"result\":0,\"requestId\":5")]
        [InlineData("{\"result\":0,\"requestId\":5}x")]
        [InlineData("{\"result\":0 \"requestId\":5}")]
        [InlineData("{\"result\":0,\"ok\":tru}")]
        public void MalformedTextIsNeverReadDirectly(string text)
        {
            var bytes = Encoding.UTF8.GetBytes(text);
            Assert.False(AnswerReader.TryRead(bytes, bytes.Length, out _, out _));
        }
    }
}
