using System.Runtime.CompilerServices;
using System.Text;

namespace VelmoKiv.Json
{
    /// <summary>
    /// Reads an asynchronous call's answer, {"result":0,"requestId":N,...},
    /// straight from the library's UTF-8 bytes, without building a value:
    /// every call has one, and only these two members matter. Whatever it does
    /// not expect (a nested value, a fraction, an escaped key) is left to
    /// <see cref="JsonValue"/>, which reads it as before.
    /// </summary>
    internal static class AnswerReader
    {
        private enum Member { Other, Result, RequestId }

        private static readonly byte[] ResultKey = Encoding.ASCII.GetBytes("result");
        private static readonly byte[] RequestIdKey = Encoding.ASCII.GetBytes("requestId");
        private static readonly byte[][] Words = { Encoding.ASCII.GetBytes("true"), Encoding.ASCII.GetBytes("false"),
                                                   Encoding.ASCII.GetBytes("null") };

        /// <summary>
        /// False when the text is not a flat object of plain values; otherwise
        /// "result" and "requestId" as <see cref="JsonValue"/> reads them
        /// (0, and null when there is no request id).
        /// </summary>
        [MethodImpl(HotPath.Optimized)]
        internal static bool TryRead(byte[] text, int length, out int result, out ulong? requestId)
        {
            result = 0;
            requestId = null;
            int i = SkipSpace(text, 0, length);
            if (i >= length || text[i] != '{') return false;
            i = SkipSpace(text, i + 1, length);
            if (i < length && text[i] == '}') return SkipSpace(text, i + 1, length) == length;
            while (true)
            {
                if (i >= length || text[i] != '"') return false;
                int keyStart = ++i;
                while (i < length && text[i] != '"' && text[i] != '\\') ++i;
                if (i >= length || text[i] != '"') return false;
                var member = Which(text, keyStart, i);
                i = SkipSpace(text, i + 1, length);
                if (i >= length || text[i] != ':') return false;
                i = SkipSpace(text, i + 1, length);
                if (i >= length) return false;
                if (text[i] == '-' || (text[i] >= '0' && text[i] <= '9'))
                {
                    if (!ReadInteger(text, ref i, length, out long value)) return false;
                    if (member == Member.Result) result = unchecked((int)value);
                    if (member == Member.RequestId) requestId = unchecked((ulong)value);
                }
                else if (member != Member.Other || !SkipPlainValue(text, ref i, length))
                {
                    return false;
                }
                i = SkipSpace(text, i, length);
                if (i >= length) return false;
                if (text[i] == '}') return SkipSpace(text, i + 1, length) == length;
                if (text[i] != ',') return false;
                i = SkipSpace(text, i + 1, length);
            }
        }

        private static Member Which(byte[] text, int start, int end)
        {
            if (Equal(text, start, end, ResultKey)) return Member.Result;
            if (Equal(text, start, end, RequestIdKey)) return Member.RequestId;
            return Member.Other;
        }

        private static bool Equal(byte[] text, int start, int end, byte[] key)
        {
            if (end - start != key.Length) return false;
            for (int k = 0; k < key.Length; ++k)
                if (text[start + k] != key[k]) return false;
            return true;
        }

        private static int SkipSpace(byte[] text, int i, int length)
        {
            while (i < length && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r')) ++i;
            return i;
        }

        // An integer within 64 bits, signed or not, as JsonValue's AsInt64 reads it.
        private static bool ReadInteger(byte[] text, ref int i, int length, out long value)
        {
            value = 0;
            bool negative = text[i] == '-';
            if (negative) ++i;
            int start = i;
            ulong magnitude = 0;
            for (; i < length && text[i] >= '0' && text[i] <= '9'; ++i)
            {
                ulong digit = (ulong)(text[i] - '0');
                if (magnitude > (ulong.MaxValue - digit) / 10) return false;
                magnitude = magnitude * 10 + digit;
            }
            if (i == start) return false;
            if (i < length && (text[i] == '.' || text[i] == 'e' || text[i] == 'E')) return false;
            if (!negative)
            {
                value = unchecked((long)magnitude);
                return true;
            }
            if (magnitude > 1UL << 63) return false;
            value = unchecked(-(long)magnitude);
            return true;
        }

        // A string without escapes, true, false or null.
        private static bool SkipPlainValue(byte[] text, ref int i, int length)
        {
            if (text[i] == '"')
            {
                for (++i; i < length && text[i] != '"'; ++i)
                    if (text[i] == '\\') return false;
                if (i >= length) return false;
                ++i;
                return true;
            }
            foreach (var word in Words)
            {
                if (i + word.Length > length || !Equal(text, i, i + word.Length, word)) continue;
                i += word.Length;
                return true;
            }
            return false;
        }
    }
}
