/* What the C host sends and the MSVC-ABI stand-in SDK expects, in one place:
 * both include this file. The stand-in answers each operation with a request
 * id (or a result) that tells the host whether every argument arrived as sent,
 * so a field read at the wrong offset or a call landing in the wrong slot
 * shows up in the host's answer. */
#ifndef VELMO_MSVC_ABI_CONTRACT_H
#define VELMO_MSVC_ABI_CONTRACT_H

#define ABI_APP_ID "msvc-abi-app"
#define ABI_TOKEN "msvc-abi-token"
#define ABI_PARAMETERS "msvc-abi-parameters"
#define ABI_CHANNEL "msvc-abi-channel"
#define ABI_TOPIC "msvc-abi-topic"
#define ABI_LOCK "msvc-abi-lock"
#define ABI_PROXY_PASSWORD "proxy-secret"
#define ABI_SECOND_ACCESS_POINT "ap-2.example"
#define ABI_CONTEXT 4660 /* KivConfig.context, an address as a number */

/* Payloads hold a NUL and a byte above 127, so nothing may treat them as text. */
#define ABI_PAYLOAD "pay\0load\xff!"
#define ABI_PAYLOAD_LENGTH 10
#define ABI_TOPIC_PAYLOAD "topic\0\x80"
#define ABI_TOPIC_PAYLOAD_LENGTH 7

/* Asynchronous operations: the request id the stand-in gives back. */
enum AbiOperation {
  ABI_OP_LOGIN = 1,
  ABI_OP_LOGOUT,
  ABI_OP_PUBLISH,
  ABI_OP_SUBSCRIBE,
  ABI_OP_JOIN,
  ABI_OP_TOPIC_PUBLISH,
  ABI_OP_STORAGE,
  ABI_OP_LOCK,
  ABI_OP_PRESENCE,
  ABI_OP_HISTORY
};
/* Above 32 bits, so that only a whole 64-bit store gives the right id. */
#define ABI_ACCEPTED(op) (0x500000000ull + (unsigned)(op))
#define ABI_REFUSED(op) (0x900000000ull + (unsigned)(op))

/* Synchronous answers. */
#define ABI_PARAMETERS_ACCEPTED 77
#define ABI_PARAMETERS_REFUSED (-77)
#define ABI_CHANNEL_REFUSED (-78)
#define ABI_CONFIG_REFUSED (-79)
#define ABI_UNSUPPORTED (-80) /* operations the host does not call */

#define ABI_VERSION_TEXT "msvc-abi stand-in 1.0"
#define ABI_VERSION_BUILD 4242
#define ABI_ERROR_REASON "msvc-abi stand-in reason"

#endif /* VELMO_MSVC_ABI_CONTRACT_H */
