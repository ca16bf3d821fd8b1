#include "event_rate_user.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

QuonKivEngineHandle event_rate_user(const HostKitExports* kiv, QuonEventHandlerHandle sink,
                                    const char* userId) {
  char config[192];
  QuonKivEngineHandle engine = kiv->CreateQuonKivEngine(NULL);
  snprintf(config, sizeof config, "{\"config\":{\"appId\":\"bench\",\"userId\":\"%s\"}}", userId);
  host_kit_call(kiv, engine, "KivClient_create", config, sink, 0, NULL);
  host_kit_call(kiv, engine, "KivClient_setLogLevel", "{\"level\":0}", NULL, 0, NULL);
  host_kit_call(kiv, engine, "KivClient_login_1fa04dd", "{\"token\":\"t\"}", NULL, 0, NULL);
  return engine;
}

void event_rate_publish(const HostKitExports* kiv, QuonKivEngineHandle engine, const char* channel,
                        long long total, size_t size) {
  char* payload = (char*)malloc(size ? size : 1);
  char params[256];
  if (!payload) return;
  memset(payload, 'x', size ? size : 1);
  snprintf(params, sizeof params,
           "{\"channelName\":\"%s\",\"length\":%zu,\"option\":{\"channelType\":1}}", channel, size);
  for (long long i = 0; i < total; ++i)
    host_kit_call(kiv, engine, "KivClient_publish_2d36e93", params, payload, 0, NULL);
  free(payload);
}
