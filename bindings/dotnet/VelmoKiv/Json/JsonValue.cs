using System;
using System.Collections.Generic;
using System.Globalization;
using System.Runtime.CompilerServices;
using System.Text;

namespace VelmoKiv.Json
{
    internal enum JsonKind { Null, Bool, Number, String, Array, Object }

    /// <summary>
    /// A parsed JSON value: event bodies and call results. Numbers keep their
    /// text so 64-bit values read back exactly; reading a missing key or a
    /// value of another kind gives the default, as the library's own readers do.
    /// </summary>
    internal sealed class JsonValue
    {
        public static readonly JsonValue Null = new JsonValue(JsonKind.Null, null);

        public JsonKind Kind { get; }
        private readonly object value;

        private JsonValue(JsonKind kind, object value)
        {
            Kind = kind;
            this.value = value;
        }

        public JsonValue this[string key]
        {
            [MethodImpl(HotPath.Optimized)]
            get
            {
                if (Kind == JsonKind.Object && ((Dictionary<string, JsonValue>)value).TryGetValue(key, out var v))
                    return v;
                return Null;
            }
        }

        [MethodImpl(HotPath.Optimized)]
        public bool Has(string key) =>
            Kind == JsonKind.Object && ((Dictionary<string, JsonValue>)value).ContainsKey(key);

        public IReadOnlyList<JsonValue> Items =>
            Kind == JsonKind.Array ? (List<JsonValue>)value : (IReadOnlyList<JsonValue>)Array.Empty<JsonValue>();

        public string AsString() => Kind == JsonKind.String ? (string)value : "";
        public bool AsBool() => Kind == JsonKind.Bool && (bool)value;

        [MethodImpl(HotPath.Optimized)]
        public long AsInt64()
        {
            if (Kind != JsonKind.Number) return 0;
            var text = (string)value;
            if (long.TryParse(text, NumberStyles.AllowLeadingSign, CultureInfo.InvariantCulture, out var l)) return l;
            if (ulong.TryParse(text, NumberStyles.None, CultureInfo.InvariantCulture, out var u)) return unchecked((long)u);
            return (long)Math.Truncate(double.Parse(text, NumberStyles.Float, CultureInfo.InvariantCulture));
        }

        [MethodImpl(HotPath.Optimized)]
        public ulong AsUInt64()
        {
            if (Kind == JsonKind.Number && ulong.TryParse((string)value, NumberStyles.None, CultureInfo.InvariantCulture, out var u))
                return u;
            return unchecked((ulong)AsInt64());
        }

        public int AsInt32() => unchecked((int)AsInt64());
        public uint AsUInt32() => unchecked((uint)AsInt64());

        /// <summary>An unsigned 64-bit value whose decimal-text twin wins when it parses.</summary>
        [MethodImpl(HotPath.Optimized)]
        public ulong Twin(string key, string twinKey)
        {
            var twin = this[twinKey];
            if (twin.Kind == JsonKind.String &&
                ulong.TryParse(twin.AsString(), NumberStyles.None, CultureInfo.InvariantCulture, out var parsed))
                return parsed;
            return this[key].AsUInt64();
        }

        public string[] AsStrings()
        {
            var items = Items;
            var result = new string[items.Count];
            for (int i = 0; i < result.Length; ++i) result[i] = items[i].AsString();
            return result;
        }

        public T[] AsArray<T>(Func<JsonValue, T> read)
        {
            var items = Items;
            var result = new T[items.Count];
            for (int i = 0; i < result.Length; ++i) result[i] = read(items[i]);
            return result;
        }

        public byte[] AsBytes()
        {
            var items = Items;
            var result = new byte[items.Count];
            for (int i = 0; i < result.Length; ++i) result[i] = unchecked((byte)items[i].AsInt64());
            return result;
        }

        [MethodImpl(HotPath.Optimized)]
        public static JsonValue Parse(string text)
        {
            var parser = new Parser(text);
            var v = parser.ReadValue(0);
            parser.SkipSpace();
            if (!parser.AtEnd) throw new FormatException("text after the JSON value");
            return v;
        }

        private sealed class Parser
        {
            private const int MaxDepth = 256;
            private readonly string s;
            private int i;

            public Parser(string text) { s = text; }
            public bool AtEnd => i >= s.Length;

            [MethodImpl(HotPath.Optimized)]
            public void SkipSpace()
            {
                while (i < s.Length && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r')) ++i;
            }

            [MethodImpl(HotPath.Optimized)]
            public JsonValue ReadValue(int depth)
            {
                if (depth > MaxDepth) throw new FormatException("JSON nested too deep");
                SkipSpace();
                if (AtEnd) throw new FormatException("unexpected end of JSON");
                char c = s[i];
                switch (c)
                {
                    case '{': return ReadObject(depth);
                    case '[': return ReadArray(depth);
                    case '"': return new JsonValue(JsonKind.String, ReadString());
                    case 't': Expect("true"); return new JsonValue(JsonKind.Bool, true);
                    case 'f': Expect("false"); return new JsonValue(JsonKind.Bool, false);
                    case 'n': Expect("null"); return Null;
                    default: return ReadNumber();
                }
            }

            [MethodImpl(HotPath.Optimized)]
            private JsonValue ReadObject(int depth)
            {
                ++i;
                var members = new Dictionary<string, JsonValue>(StringComparer.Ordinal);
                SkipSpace();
                if (i < s.Length && s[i] == '}') { ++i; return new JsonValue(JsonKind.Object, members); }
                while (true)
                {
                    SkipSpace();
                    if (AtEnd || s[i] != '"') throw new FormatException("object key expected");
                    string key = ReadString();
                    SkipSpace();
                    if (AtEnd || s[i] != ':') throw new FormatException("':' expected");
                    ++i;
                    members[key] = ReadValue(depth + 1);
                    SkipSpace();
                    if (AtEnd) throw new FormatException("unexpected end of JSON");
                    if (s[i] == ',') { ++i; continue; }
                    if (s[i] == '}') { ++i; return new JsonValue(JsonKind.Object, members); }
                    throw new FormatException("',' or '}' expected");
                }
            }

            [MethodImpl(HotPath.Optimized)]
            private JsonValue ReadArray(int depth)
            {
                ++i;
                var items = new List<JsonValue>();
                SkipSpace();
                if (i < s.Length && s[i] == ']') { ++i; return new JsonValue(JsonKind.Array, items); }
                while (true)
                {
                    items.Add(ReadValue(depth + 1));
                    SkipSpace();
                    if (AtEnd) throw new FormatException("unexpected end of JSON");
                    if (s[i] == ',') { ++i; continue; }
                    if (s[i] == ']') { ++i; return new JsonValue(JsonKind.Array, items); }
                    throw new FormatException("',' or ']' expected");
                }
            }

            [MethodImpl(HotPath.Optimized)]
            private string ReadString()
            {
                ++i;
                int start = i;
                while (i < s.Length && s[i] != '"' && s[i] != '\\') ++i;
                if (i < s.Length && s[i] == '"') return s.Substring(start, i++ - start);
                var b = new StringBuilder(s, start, i - start, i - start + 16);
                while (true)
                {
                    if (AtEnd) throw new FormatException("unterminated string");
                    char c = s[i++];
                    if (c == '"') return b.ToString();
                    if (c != '\\') { b.Append(c); continue; }
                    if (AtEnd) throw new FormatException("unterminated string");
                    char e = s[i++];
                    switch (e)
                    {
                        case '"': b.Append('"'); break;
                        case '\\': b.Append('\\'); break;
                        case '/': b.Append('/'); break;
                        case 'b': b.Append('\b'); break;
                        case 'f': b.Append('\f'); break;
                        case 'n': b.Append('\n'); break;
                        case 'r': b.Append('\r'); break;
                        case 't': b.Append('\t'); break;
                        case 'u':
                            if (i + 4 > s.Length) throw new FormatException("bad \\u escape");
                            b.Append((char)int.Parse(s.Substring(i, 4), NumberStyles.HexNumber, CultureInfo.InvariantCulture));
                            i += 4;
                            break;
                        default: throw new FormatException("bad escape");
                    }
                }
            }

            [MethodImpl(HotPath.Optimized)]
            private JsonValue ReadNumber()
            {
                int start = i;
                while (i < s.Length && "+-0123456789.eE".IndexOf(s[i]) >= 0) ++i;
                if (i == start) throw new FormatException("unexpected character in JSON");
                return new JsonValue(JsonKind.Number, s.Substring(start, i - start));
            }

            [MethodImpl(HotPath.Optimized)]
            private void Expect(string word)
            {
                if (string.CompareOrdinal(s, i, word, 0, word.Length) != 0) throw new FormatException(word + " expected");
                i += word.Length;
            }
        }
    }
}
