using System;
using System.Collections.Generic;
using VelmoKiv.Json;
using VelmoKiv.Native;

namespace VelmoKiv
{
    /// <summary>
    /// An event of the library, copied out of the SDK's callback: its name,
    /// its JSON body and its payload bytes. Each event of the catalogue has its
    /// own subclass with typed properties.
    /// </summary>
    public abstract class KivEvent : EventArgs
    {
        private static readonly IReadOnlyList<byte[]> NoPayloads = Array.Empty<byte[]>();
        private readonly IReadOnlyList<byte[]> payloads;

        /// <summary>An event as the library delivered it.</summary>
        /// <param name="name">The event name.</param>
        /// <param name="json">The JSON body.</param>
        /// <param name="payloads">The payload bytes, owned by the event from now on.</param>
        protected KivEvent(string name, string json, IReadOnlyList<byte[]>? payloads)
        {
            Name = name;
            this.json = json;
            this.payloads = payloads ?? NoPayloads;
        }

        private string? json;
        private byte[]? utf8Json;

        /// <summary>The body as the library's UTF-8 bytes, for an event made without its text.</summary>
        internal KivEvent WithUtf8Json(byte[] bytes)
        {
            utf8Json = bytes;
            return this;
        }

        /// <summary>The event name, e.g. "KivEventHandler_onLoginResult_4f46899".</summary>
        public string Name { get; }

        /// <summary>The event's JSON body as the library wrote it.</summary>
        public string Json => json ?? (json = Utf8.Decode(utf8Json));

        /// <summary>
        /// Payload bytes (one for a message event, one per message of a
        /// history result): copies of their own at each access, so no handler
        /// changes them under another.
        /// </summary>
        public IReadOnlyList<byte[]> Payloads
        {
            get
            {
                var copies = new byte[payloads.Count][];
                for (int i = 0; i < copies.Length; ++i) copies[i] = PayloadCopy(i);
                return copies;
            }
        }

        /// <summary>A copy of payload i, or no bytes when there is none.</summary>
        internal byte[] PayloadCopy(int i) => i < payloads.Count ? (byte[])payloads[i].Clone() : Array.Empty<byte>();

        /// <summary>The parsed body; throws FormatException when the JSON is malformed.</summary>
        internal JsonValue Body() => Json.Length == 0 ? JsonValue.Null : JsonValue.Parse(Json);

        internal virtual ulong? RequestIdOrNull => null;
        internal virtual int ErrorCodeOrZero => 0;
    }

    /// <summary>An event whose name the binding does not know.</summary>
    public sealed class UnknownEvent : KivEvent
    {
        internal UnknownEvent(string name, string json, IReadOnlyList<byte[]> payloads)
            : base(name, json, payloads) { }
    }

    /// <summary>A handler threw: the binding caught it so it never reached the library.</summary>
    public sealed class HandlerFailedEventArgs : EventArgs
    {
        internal HandlerFailedEventArgs(KivEvent? ev, Exception exception)
        {
            Event = ev;
            Exception = exception;
        }

        /// <summary>The event being handled, or null when the event itself could not be read.</summary>
        public KivEvent? Event { get; }

        /// <summary>What the handler threw.</summary>
        public Exception Exception { get; }
    }
}
