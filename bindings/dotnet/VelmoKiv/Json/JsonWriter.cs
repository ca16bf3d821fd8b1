using System;
using System.Globalization;
using System.Text;

namespace VelmoKiv.Json
{
    /// <summary>
    /// Writes compact JSON text: the parameters of a call. It knows which
    /// parameter (top-level key) it is writing, so input the JSON cannot carry
    /// is refused as an <see cref="ArgumentException"/> naming it.
    /// </summary>
    internal sealed class JsonWriter
    {
        private readonly StringBuilder text = new StringBuilder(128);
        private bool needComma;
        private int depth;
        private string? parameter;

        public override string ToString() => text.ToString();

        public JsonWriter BeginObject()
        {
            Separate();
            text.Append('{');
            ++depth;
            needComma = false;
            return this;
        }

        public JsonWriter EndObject()
        {
            text.Append('}');
            --depth;
            needComma = true;
            return this;
        }

        public JsonWriter BeginArray()
        {
            Separate();
            text.Append('[');
            ++depth;
            needComma = false;
            return this;
        }

        public JsonWriter EndArray()
        {
            text.Append(']');
            --depth;
            needComma = true;
            return this;
        }

        public JsonWriter Key(string key)
        {
            if (depth == 1) parameter = key;
            Separate();
            WriteString(key);
            text.Append(':');
            needComma = false;
            return this;
        }

        public JsonWriter Value(string? value)
        {
            Separate();
            WriteString(value ?? "");
            needComma = true;
            return this;
        }

        /// <summary>An element of an array: null is the caller's error, not an empty value.</summary>
        public JsonWriter Element(string? value)
        {
            if (value == null) throw NullElement();
            return Value(value);
        }

        /// <summary>The error for a null element of an array.</summary>
        public ArgumentException NullElement() =>
            new ArgumentException($"\"{parameter}\" holds a null element", parameter);

        public JsonWriter Value(bool value) => Raw(value ? "true" : "false");
        public JsonWriter Value(int value) => Raw(value.ToString(CultureInfo.InvariantCulture));
        public JsonWriter Value(uint value) => Raw(value.ToString(CultureInfo.InvariantCulture));
        public JsonWriter Value(long value) => Raw(value.ToString(CultureInfo.InvariantCulture));
        public JsonWriter Value(ulong value) => Raw(value.ToString(CultureInfo.InvariantCulture));

        private JsonWriter Raw(string token)
        {
            Separate();
            text.Append(token);
            needComma = true;
            return this;
        }

        private void Separate()
        {
            if (needComma) text.Append(',');
        }

        private void WriteString(string s)
        {
            text.Append('"');
            for (int i = 0; i < s.Length; ++i)
            {
                char c = s[i];
                if (char.IsSurrogate(c))
                {
                    // A lone surrogate has no UTF-8 form: it would become U+FFFD.
                    if (!char.IsHighSurrogate(c) || i + 1 == s.Length || !char.IsLowSurrogate(s[i + 1]))
                        throw new ArgumentException(
                            $"\"{parameter}\" holds a lone UTF-16 surrogate at index {i} of a text", parameter);
                    text.Append(c).Append(s[++i]);
                    continue;
                }
                switch (c)
                {
                    case '"': text.Append("\\\""); break;
                    case '\\': text.Append("\\\\"); break;
                    case '\n': text.Append("\\n"); break;
                    case '\r': text.Append("\\r"); break;
                    case '\t': text.Append("\\t"); break;
                    default:
                        if (c < 0x20)
                            text.Append("\\u").Append(((int)c).ToString("x4", CultureInfo.InvariantCulture));
                        else
                            text.Append(c);
                        break;
                }
            }
            text.Append('"');
        }
    }
}
