using System;
using System.Runtime.CompilerServices;
using System.Text;

namespace VelmoKiv.Json
{
    /// <summary>
    /// Writes compact JSON as UTF-8 bytes, the form the library reads: the
    /// parameters of a call. It knows which parameter (top-level key) it is
    /// writing, so input the JSON cannot carry is refused as an
    /// <see cref="ArgumentException"/> naming it. A thread's calls reuse one
    /// buffer: <see cref="Recycle"/> hands it back once the call has read it.
    /// </summary>
    internal sealed class JsonWriter
    {
        private const int InitialSize = 256;
        private const int LargestKept = 16384;

        [ThreadStatic] private static byte[]? spare;

        private byte[] bytes;
        private int length;
        private bool needComma;
        private int depth;
        private string? parameter;

        [MethodImpl(HotPath.Optimized)]
        public JsonWriter()
        {
            bytes = spare ?? new byte[InitialSize];
            spare = null;
        }

        /// <summary>The text written so far, followed by a NUL (the library also reads up to it).</summary>
        [MethodImpl(HotPath.Optimized)]
        internal byte[] TerminatedBytes()
        {
            Reserve(1);
            bytes[length] = 0;
            return bytes;
        }

        /// <summary>The length of the text in bytes, without the NUL.</summary>
        internal int Length => length;

        /// <summary>Keeps the buffer for this thread's next writer; this one is not used again.</summary>
        [MethodImpl(HotPath.Optimized)]
        internal void Recycle()
        {
            if (bytes.Length <= LargestKept) spare = bytes;
            bytes = Array.Empty<byte>();
            length = 0;
        }

        public override string ToString() => Encoding.UTF8.GetString(bytes, 0, length);

        [MethodImpl(HotPath.Optimized)]
        public JsonWriter BeginObject()
        {
            Separate();
            Put((byte)'{');
            ++depth;
            needComma = false;
            return this;
        }

        [MethodImpl(HotPath.Optimized)]
        public JsonWriter EndObject()
        {
            Put((byte)'}');
            --depth;
            needComma = true;
            return this;
        }

        [MethodImpl(HotPath.Optimized)]
        public JsonWriter BeginArray()
        {
            Separate();
            Put((byte)'[');
            ++depth;
            needComma = false;
            return this;
        }

        [MethodImpl(HotPath.Optimized)]
        public JsonWriter EndArray()
        {
            Put((byte)']');
            --depth;
            needComma = true;
            return this;
        }

        [MethodImpl(HotPath.Optimized)]
        public JsonWriter Key(string key)
        {
            if (depth == 1) parameter = key;
            Separate();
            WriteString(key);
            Put((byte)':');
            needComma = false;
            return this;
        }

        [MethodImpl(HotPath.Optimized)]
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

        [MethodImpl(HotPath.Optimized)]
        public JsonWriter Value(bool value)
        {
            Separate();
            if (value)
                PutAscii("true");
            else
                PutAscii("false");
            needComma = true;
            return this;
        }

        public JsonWriter Value(int value) => Value((long)value);
        public JsonWriter Value(uint value) => Value((ulong)value);

        [MethodImpl(HotPath.Optimized)]
        public JsonWriter Value(long value)
        {
            if (value >= 0) return Value((ulong)value);
            Separate();
            Put((byte)'-');
            PutDigits(unchecked((ulong)(-(value + 1)) + 1));
            needComma = true;
            return this;
        }

        [MethodImpl(HotPath.Optimized)]
        public JsonWriter Value(ulong value)
        {
            Separate();
            PutDigits(value);
            needComma = true;
            return this;
        }

        [MethodImpl(HotPath.Optimized)]
        private void Separate()
        {
            if (needComma) Put((byte)',');
        }

        [MethodImpl(HotPath.Optimized)]
        private void Reserve(int more)
        {
            if (length + more <= bytes.Length) return;
            var larger = new byte[Math.Max(Math.Max(bytes.Length * 2, length + more), InitialSize)];
            Buffer.BlockCopy(bytes, 0, larger, 0, length);
            bytes = larger;
        }

        [MethodImpl(HotPath.Optimized)]
        private void Put(byte b)
        {
            if (length == bytes.Length) Reserve(1);
            bytes[length++] = b;
        }

        [MethodImpl(HotPath.Optimized)]
        private void PutAscii(string text)
        {
            Reserve(text.Length);
            foreach (char c in text) bytes[length++] = (byte)c;
        }

        [MethodImpl(HotPath.Optimized)]
        private void PutDigits(ulong value)
        {
            int count = 1;
            for (ulong rest = value / 10; rest != 0; rest /= 10) ++count;
            Reserve(count);
            length += count;
            for (int i = length - 1; i >= length - count; --i, value /= 10) bytes[i] = (byte)('0' + value % 10);
        }

        private static readonly byte[] HexDigits = Encoding.ASCII.GetBytes("0123456789abcdef");

        [MethodImpl(HotPath.Optimized)]
        private void WriteString(string s)
        {
            // At most three bytes per UTF-16 unit, six for an escaped control character.
            Reserve(checked(2 + 6 * s.Length));
            bytes[length++] = (byte)'"';
            for (int i = 0; i < s.Length; ++i)
            {
                char c = s[i];
                if (c < 0x80)
                {
                    PutAsciiChar(c);
                }
                else if (c < 0x800)
                {
                    bytes[length++] = (byte)(0xC0 | (c >> 6));
                    bytes[length++] = (byte)(0x80 | (c & 0x3F));
                }
                else if (!char.IsSurrogate(c))
                {
                    bytes[length++] = (byte)(0xE0 | (c >> 12));
                    bytes[length++] = (byte)(0x80 | ((c >> 6) & 0x3F));
                    bytes[length++] = (byte)(0x80 | (c & 0x3F));
                }
                else
                {
                    // A lone surrogate has no UTF-8 form: it would become U+FFFD.
                    if (!char.IsHighSurrogate(c) || i + 1 == s.Length || !char.IsLowSurrogate(s[i + 1]))
                        throw new ArgumentException(
                            $"\"{parameter}\" holds a lone UTF-16 surrogate at index {i} of a text", parameter);
                    int code = char.ConvertToUtf32(c, s[++i]);
                    bytes[length++] = (byte)(0xF0 | (code >> 18));
                    bytes[length++] = (byte)(0x80 | ((code >> 12) & 0x3F));
                    bytes[length++] = (byte)(0x80 | ((code >> 6) & 0x3F));
                    bytes[length++] = (byte)(0x80 | (code & 0x3F));
                }
            }
            bytes[length++] = (byte)'"';
        }

        // Room for six bytes is reserved by the caller.
        [MethodImpl(HotPath.Optimized)]
        private void PutAsciiChar(char c)
        {
            switch (c)
            {
                case '"': PutEscape((byte)'"'); return;
                case '\\': PutEscape((byte)'\\'); return;
                case '\n': PutEscape((byte)'n'); return;
                case '\r': PutEscape((byte)'r'); return;
                case '\t': PutEscape((byte)'t'); return;
            }
            if (c >= 0x20)
            {
                bytes[length++] = (byte)c;
                return;
            }
            PutEscape((byte)'u');
            bytes[length++] = (byte)'0';
            bytes[length++] = (byte)'0';
            bytes[length++] = HexDigits[c >> 4];
            bytes[length++] = HexDigits[c & 0xF];
        }

        [MethodImpl(HotPath.Optimized)]
        private void PutEscape(byte letter)
        {
            bytes[length++] = (byte)'\\';
            bytes[length++] = letter;
        }
    }
}
