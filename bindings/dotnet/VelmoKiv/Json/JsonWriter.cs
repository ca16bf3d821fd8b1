using System.Globalization;
using System.Text;

namespace VelmoKiv.Json
{
    /// <summary>Writes compact JSON text: the parameters of a call.</summary>
    internal sealed class JsonWriter
    {
        private readonly StringBuilder text = new StringBuilder(128);
        private bool needComma;

        public override string ToString() => text.ToString();

        public JsonWriter BeginObject()
        {
            Separate();
            text.Append('{');
            needComma = false;
            return this;
        }

        public JsonWriter EndObject()
        {
            text.Append('}');
            needComma = true;
            return this;
        }

        public JsonWriter BeginArray()
        {
            Separate();
            text.Append('[');
            needComma = false;
            return this;
        }

        public JsonWriter EndArray()
        {
            text.Append(']');
            needComma = true;
            return this;
        }

        public JsonWriter Key(string key)
        {
            Separate();
            WriteString(key);
            text.Append(':');
            needComma = false;
            return this;
        }

        public JsonWriter Value(string value)
        {
            Separate();
            WriteString(value ?? "");
            needComma = true;
            return this;
        }

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
            foreach (char c in s)
            {
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
