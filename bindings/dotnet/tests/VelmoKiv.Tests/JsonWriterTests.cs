using System;
using System.Text;
using System.Threading;
using System.Threading.Tasks;
using VelmoKiv.Json;
using Xunit;

namespace VelmoKiv.Tests
{
    /// <summary>Call parameters as the library reads them: UTF-8 JSON, whatever the thread wrote before.</summary>
    public class JsonWriterTests
    {
        private static string Written(JsonWriter w)
        {
            var bytes = w.TerminatedBytes();
            Assert.Equal(0, bytes[w.Length]);
            return Encoding.UTF8.GetString(bytes, 0, w.Length);
        }

        public static TheoryData<string, string> Texts => new TheoryData<string, string>
        {
            { "plain", "\"plain\"" },
            { "", "\"\"" },
            { "q\"b\\s/", "\"q\\\"b\\\\s/\"" },
            { "\n\r\t\u0001\u001f\u007f", "\"\\n\\r\\t\\u0001\\u001f\u007f\"" },
            { "é€\ud83d\ude00", "\"é€\ud83d\ude00\"" },  // two, three and four UTF-8 bytes
            { new string('ü', 5000), "\"" + new string('ü', 5000) + "\"" },
        };

        [Theory]
        [MemberData(nameof(Texts))]
        public void TextsAreEscapedAndEncodedAsUtf8(string value, string json)
        {
            var w = new JsonWriter().BeginObject().Key("k").Value(value).EndObject();
            Assert.Equal("{\"k\":" + json + "}", Written(w));
            Assert.Equal(value, JsonValue.Parse(w.ToString())["k"].AsString());
        }

        public static TheoryData<object, string> Scalars => new TheoryData<object, string>
        {
            { 0, "0" },
            { -1, "-1" },
            { int.MinValue, "-2147483648" },
            { uint.MaxValue, "4294967295" },
            { long.MinValue, "-9223372036854775808" },
            { long.MaxValue, "9223372036854775807" },
            { ulong.MaxValue, "18446744073709551615" },
            { true, "true" },
            { false, "false" },
        };

        [Theory]
        [MemberData(nameof(Scalars))]
        public void ScalarsAreWrittenExactly(object value, string json)
        {
            var w = new JsonWriter().BeginArray().Value(7);
            switch (value)
            {
                case int i: w.Value(i); break;
                case uint u: w.Value(u); break;
                case long l: w.Value(l); break;
                case ulong ul: w.Value(ul); break;
                case bool b: w.Value(b); break;
            }
            Assert.Equal("[7," + json + "]", Written(w.EndArray()));
        }

        [Fact]
        public async Task AThreadsNextWriterStartsEmptyOnTheBufferItReuses()
        {
            // On a thread of its own, so the buffer handed back is the one taken next.
            await Task.Factory.StartNew(() =>
            {
                var big = new JsonWriter().BeginObject().Key("long").Value(new string('x', 3000)).EndObject();
                Written(big);
                big.Recycle();
                var next = new JsonWriter().BeginObject().Key("a").Value(1).EndObject();
                Assert.Equal("{\"a\":1}", Written(next));
                next.Recycle();
                Assert.Equal("[]", Written(new JsonWriter().BeginArray().EndArray()));
            }, CancellationToken.None, TaskCreationOptions.LongRunning, TaskScheduler.Default).WaitAsync(TimeSpan.FromSeconds(20));
        }
    }
}
