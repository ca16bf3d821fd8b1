"""API names, event names and codes of VelmoKivWrapper 2.2.6.2.

Generated from api/velmo-kiv-api.json by tools/bindgen/python_names.py: do not edit.
"""

from typing import Dict, Final, FrozenSet, Optional, Tuple

# Codes of CallQuonKivApi.
OK: Final = 0  # success
NULL_ENGINE: Final = -1  # the engine handle is null
BAD_PARAMS: Final = -2  # parameters missing, malformed or of another kind
NO_MODULE: Final = -4  # no module answers the prefix of the API name
NO_CLIENT: Final = -7  # no SDK client (or sub-interface) to call
UNKNOWN_API: Final = -1009  # the module does not know the API name


class Api:
    """Every API name that CallQuonKivApi answers."""

    KIV_CLIENT_CREATE_STREAM_CHANNEL: Final = "KivClient_createStreamChannel_ae3d0cf"
    KIV_CLIENT_CREATE: Final = "KivClient_create"
    KIV_CLIENT_GET_LOCK: Final = "KivClient_getLock"
    KIV_CLIENT_GET_PRESENCE: Final = "KivClient_getPresence"
    KIV_CLIENT_GET_STORAGE: Final = "KivClient_getStorage"
    KIV_CLIENT_LOGIN: Final = "KivClient_login_1fa04dd"
    KIV_CLIENT_LOGOUT: Final = "KivClient_logout_90386a9"
    KIV_CLIENT_PUBLISH: Final = "KivClient_publish_2d36e93"
    KIV_CLIENT_RELEASE: Final = "KivClient_release"
    KIV_CLIENT_RENEW_TOKEN: Final = "KivClient_renewToken_1fa04dd"
    KIV_CLIENT_SET_APP_TYPE: Final = "KivClient_setAppType"
    KIV_CLIENT_SET_LOG_FILE: Final = "KivClient_setLogFile"
    KIV_CLIENT_SET_LOG_FILE_SIZE: Final = "KivClient_setLogFileSize"
    KIV_CLIENT_SET_LOG_LEVEL: Final = "KivClient_setLogLevel"
    KIV_CLIENT_SET_PARAMETERS: Final = "KivClient_setParameters_3a2037f"
    KIV_CLIENT_SUBSCRIBE: Final = "KivClient_subscribe_3fae92d"
    KIV_CLIENT_UNSUBSCRIBE: Final = "KivClient_unsubscribe_1fa04dd"
    STREAM_CHANNEL_GET_CHANNEL_NAME: Final = "StreamChannel_getChannelName"
    STREAM_CHANNEL_GET_SUBSCRIBED_USER_LIST: Final = "StreamChannel_getSubscribedUserList_1fa04dd"
    STREAM_CHANNEL_JOIN_TOPIC: Final = "StreamChannel_joinTopic_ff0ec3f"
    STREAM_CHANNEL_JOIN: Final = "StreamChannel_join_2090a6b"
    STREAM_CHANNEL_LEAVE_TOPIC: Final = "StreamChannel_leaveTopic_1fa04dd"
    STREAM_CHANNEL_LEAVE: Final = "StreamChannel_leave_90386a9"
    STREAM_CHANNEL_PUBLISH_TOPIC_MESSAGE: Final = "StreamChannel_publishTopicMessage_a31773e"
    STREAM_CHANNEL_RELEASE: Final = "StreamChannel_release"
    STREAM_CHANNEL_RENEW_TOKEN: Final = "StreamChannel_renewToken_1fa04dd"
    STREAM_CHANNEL_SET_PARAMETERS: Final = "StreamChannel_setParameters_3a2037f"
    STREAM_CHANNEL_SUBSCRIBE_TOPIC: Final = "StreamChannel_subscribeTopic_b801234"
    STREAM_CHANNEL_UNSUBSCRIBE_TOPIC: Final = "StreamChannel_unsubscribeTopic_b801234"
    KIV_STORAGE_GET_CHANNEL_METADATA: Final = "KivStorage_getChannelMetadata_ad8568b"
    KIV_STORAGE_GET_USER_METADATA: Final = "KivStorage_getUserMetadata_1fa04dd"
    KIV_STORAGE_REMOVE_CHANNEL_METADATA: Final = "KivStorage_removeChannelMetadata_55e6d00"
    KIV_STORAGE_REMOVE_USER_METADATA: Final = "KivStorage_removeUserMetadata_24ae125"
    KIV_STORAGE_SET_CHANNEL_METADATA: Final = "KivStorage_setChannelMetadata_55e6d00"
    KIV_STORAGE_SET_USER_METADATA: Final = "KivStorage_setUserMetadata_24ae125"
    KIV_STORAGE_SUBSCRIBE_USER_METADATA: Final = "KivStorage_subscribeUserMetadata_1fa04dd"
    KIV_STORAGE_UNSUBSCRIBE_USER_METADATA: Final = "KivStorage_unsubscribeUserMetadata_1fa04dd"
    KIV_STORAGE_UPDATE_CHANNEL_METADATA: Final = "KivStorage_updateChannelMetadata_55e6d00"
    KIV_STORAGE_UPDATE_USER_METADATA: Final = "KivStorage_updateUserMetadata_24ae125"
    KIV_LOCK_ACQUIRE_LOCK: Final = "KivLock_acquireLock_cd2dbc2"
    KIV_LOCK_GET_LOCKS: Final = "KivLock_getLocks_ad8568b"
    KIV_LOCK_RELEASE_LOCK: Final = "KivLock_releaseLock_4ffa44d"
    KIV_LOCK_REMOVE_LOCK: Final = "KivLock_removeLock_4ffa44d"
    KIV_LOCK_REVOKE_LOCK: Final = "KivLock_revokeLock_fc4a9d7"
    KIV_LOCK_SET_LOCK: Final = "KivLock_setLock_89e5672"
    KIV_PRESENCE_GET_ONLINE_USERS: Final = "KivPresence_getOnlineUsers_ce2d8e8"
    KIV_PRESENCE_GET_STATE: Final = "KivPresence_getState_4ffa44d"
    KIV_PRESENCE_GET_USER_CHANNELS: Final = "KivPresence_getUserChannels_1fa04dd"
    KIV_PRESENCE_REMOVE_STATE: Final = "KivPresence_removeState_d7033d8"
    KIV_PRESENCE_SET_STATE: Final = "KivPresence_setState_b73723a"
    KIV_PRESENCE_WHERE_NOW: Final = "KivPresence_whereNow_1fa04dd"
    KIV_PRESENCE_WHO_NOW: Final = "KivPresence_whoNow_f7f61d1"
    KIV_HISTORY_GET_MESSAGES: Final = "KivHistory_getMessages_e5877fc"


class EventName:
    """Every event name that reaches a sink."""

    ON_LINK_STATE_EVENT: Final = "KivEventHandler_onLinkStateEvent_6d5317f"
    ON_MESSAGE_EVENT: Final = "KivEventHandler_onMessageEvent_ce5f8f5"
    ON_PRESENCE_EVENT: Final = "KivEventHandler_onPresenceEvent_32b5db1"
    ON_TOPIC_EVENT: Final = "KivEventHandler_onTopicEvent_b4e4bd7"
    ON_LOCK_EVENT: Final = "KivEventHandler_onLockEvent_5e7fbef"
    ON_STORAGE_EVENT: Final = "KivEventHandler_onStorageEvent_4304228"
    ON_TOKEN_EVENT: Final = "KivEventHandler_onTokenEvent_ec6a1f1"
    ON_JOIN_RESULT: Final = "KivEventHandler_onJoinResult_ce14e01"
    ON_LEAVE_RESULT: Final = "KivEventHandler_onLeaveResult_ce14e01"
    ON_PUBLISH_TOPIC_MESSAGE_RESULT: Final = "KivEventHandler_onPublishTopicMessageResult_ce14e01"
    ON_JOIN_TOPIC_RESULT: Final = "KivEventHandler_onJoinTopicResult_bfd472e"
    ON_LEAVE_TOPIC_RESULT: Final = "KivEventHandler_onLeaveTopicResult_bfd472e"
    ON_SUBSCRIBE_TOPIC_RESULT: Final = "KivEventHandler_onSubscribeTopicResult_ae281ad"
    ON_UNSUBSCRIBE_TOPIC_RESULT: Final = "KivEventHandler_onUnsubscribeTopicResult_ce14e01"
    ON_GET_SUBSCRIBED_USER_LIST_RESULT: Final = "KivEventHandler_onGetSubscribedUserListResult_79f7ec8"
    ON_CONNECTION_STATE_CHANGED: Final = "KivEventHandler_onConnectionStateChanged_ac0fd53"
    ON_TOKEN_PRIVILEGE_WILL_EXPIRE: Final = "KivEventHandler_onTokenPrivilegeWillExpire_3a2037f"
    ON_SUBSCRIBE_RESULT: Final = "KivEventHandler_onSubscribeResult_edf84fc"
    ON_UNSUBSCRIBE_RESULT: Final = "KivEventHandler_onUnsubscribeResult_edf84fc"
    ON_PUBLISH_RESULT: Final = "KivEventHandler_onPublishResult_4f46899"
    ON_LOGIN_RESULT: Final = "KivEventHandler_onLoginResult_4f46899"
    ON_LOGOUT_RESULT: Final = "KivEventHandler_onLogoutResult_4f46899"
    ON_RENEW_TOKEN_RESULT: Final = "KivEventHandler_onRenewTokenResult_e9203be"
    ON_SET_CHANNEL_METADATA_RESULT: Final = "KivEventHandler_onSetChannelMetadataResult_7cb1a6e"
    ON_UPDATE_CHANNEL_METADATA_RESULT: Final = "KivEventHandler_onUpdateChannelMetadataResult_7cb1a6e"
    ON_REMOVE_CHANNEL_METADATA_RESULT: Final = "KivEventHandler_onRemoveChannelMetadataResult_7cb1a6e"
    ON_GET_CHANNEL_METADATA_RESULT: Final = "KivEventHandler_onGetChannelMetadataResult_d105bb5"
    ON_SET_USER_METADATA_RESULT: Final = "KivEventHandler_onSetUserMetadataResult_edf84fc"
    ON_UPDATE_USER_METADATA_RESULT: Final = "KivEventHandler_onUpdateUserMetadataResult_edf84fc"
    ON_REMOVE_USER_METADATA_RESULT: Final = "KivEventHandler_onRemoveUserMetadataResult_edf84fc"
    ON_GET_USER_METADATA_RESULT: Final = "KivEventHandler_onGetUserMetadataResult_7065706"
    ON_SUBSCRIBE_USER_METADATA_RESULT: Final = "KivEventHandler_onSubscribeUserMetadataResult_edf84fc"
    ON_UNSUBSCRIBE_USER_METADATA_RESULT: Final = "KivEventHandler_onUnsubscribeUserMetadataResult_edf84fc"
    ON_SET_LOCK_RESULT: Final = "KivEventHandler_onSetLockResult_01034fa"
    ON_REMOVE_LOCK_RESULT: Final = "KivEventHandler_onRemoveLockResult_01034fa"
    ON_RELEASE_LOCK_RESULT: Final = "KivEventHandler_onReleaseLockResult_01034fa"
    ON_ACQUIRE_LOCK_RESULT: Final = "KivEventHandler_onAcquireLockResult_aad7ec0"
    ON_REVOKE_LOCK_RESULT: Final = "KivEventHandler_onRevokeLockResult_01034fa"
    ON_GET_LOCKS_RESULT: Final = "KivEventHandler_onGetLocksResult_6e98f5f"
    ON_WHO_NOW_RESULT: Final = "KivEventHandler_onWhoNowResult_b070777"
    ON_GET_ONLINE_USERS_RESULT: Final = "KivEventHandler_onGetOnlineUsersResult_b070777"
    ON_WHERE_NOW_RESULT: Final = "KivEventHandler_onWhereNowResult_ae64023"
    ON_GET_USER_CHANNELS_RESULT: Final = "KivEventHandler_onGetUserChannelsResult_ae64023"
    ON_PRESENCE_SET_STATE_RESULT: Final = "KivEventHandler_onPresenceSetStateResult_4f46899"
    ON_PRESENCE_REMOVE_STATE_RESULT: Final = "KivEventHandler_onPresenceRemoveStateResult_4f46899"
    ON_PRESENCE_GET_STATE_RESULT: Final = "KivEventHandler_onPresenceGetStateResult_3d764cc"
    ON_GET_HISTORY_MESSAGES_RESULT: Final = "KivEventHandler_onGetHistoryMessagesResult_c5dd08c"


API_NAMES: FrozenSet[str] = frozenset(
    value for key, value in vars(Api).items() if not key.startswith("_"))
EVENT_NAMES: FrozenSet[str] = frozenset(
    value for key, value in vars(EventName).items() if not key.startswith("_"))

# The keys each call needs, in the order the library checks them:
# (key, kind, record or None, optional). Keys the library fills in from the
# call's buffer are left out.
API_KEYS: Dict[str, Tuple[Tuple[str, str, Optional[str], bool], ...]] = {
    "KivClient_createStreamChannel_ae3d0cf": (('channelName', 'string', None, False),),
    "KivClient_create": (('config', 'object', 'KivConfig', True),),
    "KivClient_getLock": (),
    "KivClient_getPresence": (),
    "KivClient_getStorage": (),
    "KivClient_login_1fa04dd": (('token', 'string', None, False),),
    "KivClient_logout_90386a9": (),
    "KivClient_publish_2d36e93": (('channelName', 'string', None, False), ('length', 'length', None, False), ('option', 'object', 'PublishOptions', False)),
    "KivClient_release": (),
    "KivClient_renewToken_1fa04dd": (('token', 'string', None, False),),
    "KivClient_setAppType": (('appType', 'integer', None, False),),
    "KivClient_setLogFile": (('filePath', 'string', None, False),),
    "KivClient_setLogFileSize": (('fileSizeInKBytes', 'unsigned', None, False),),
    "KivClient_setLogLevel": (('level', 'integer', None, False),),
    "KivClient_setParameters_3a2037f": (('parameters', 'string', None, False),),
    "KivClient_subscribe_3fae92d": (('channelName', 'string', None, False), ('options', 'object', 'SubscribeOptions', False)),
    "KivClient_unsubscribe_1fa04dd": (('channelName', 'string', None, False),),
    "StreamChannel_getChannelName": (('channelName', 'string', None, False),),
    "StreamChannel_getSubscribedUserList_1fa04dd": (('channelName', 'string', None, False), ('topic', 'string', None, False)),
    "StreamChannel_joinTopic_ff0ec3f": (('channelName', 'string', None, False), ('topic', 'string', None, False), ('options', 'object', 'JoinTopicOptions', False)),
    "StreamChannel_join_2090a6b": (('channelName', 'string', None, False), ('options', 'object', 'JoinChannelOptions', False)),
    "StreamChannel_leaveTopic_1fa04dd": (('channelName', 'string', None, False), ('topic', 'string', None, False)),
    "StreamChannel_leave_90386a9": (('channelName', 'string', None, False),),
    "StreamChannel_publishTopicMessage_a31773e": (('channelName', 'string', None, False), ('topic', 'string', None, False), ('length', 'length', None, False), ('option', 'object', 'TopicMessageOptions', False)),
    "StreamChannel_release": (('channelName', 'string', None, False),),
    "StreamChannel_renewToken_1fa04dd": (('channelName', 'string', None, False), ('token', 'string', None, False)),
    "StreamChannel_setParameters_3a2037f": (('channelName', 'string', None, False), ('parameters', 'string', None, False)),
    "StreamChannel_subscribeTopic_b801234": (('channelName', 'string', None, False), ('topic', 'string', None, False), ('options', 'object', 'TopicOptions', False)),
    "StreamChannel_unsubscribeTopic_b801234": (('channelName', 'string', None, False), ('topic', 'string', None, False), ('options', 'object', 'TopicOptions', False)),
    "KivStorage_getChannelMetadata_ad8568b": (('channelName', 'string', None, False), ('channelType', 'integer', None, False)),
    "KivStorage_getUserMetadata_1fa04dd": (('userId', 'string', None, False),),
    "KivStorage_removeChannelMetadata_55e6d00": (('channelName', 'string', None, False), ('channelType', 'integer', None, False), ('data', 'object', 'Metadata', False), ('options', 'object', 'MetadataOptions', False), ('lockName', 'string', None, False)),
    "KivStorage_removeUserMetadata_24ae125": (('userId', 'string', None, False), ('data', 'object', 'Metadata', False), ('options', 'object', 'MetadataOptions', False)),
    "KivStorage_setChannelMetadata_55e6d00": (('channelName', 'string', None, False), ('channelType', 'integer', None, False), ('data', 'object', 'Metadata', False), ('options', 'object', 'MetadataOptions', False), ('lockName', 'string', None, False)),
    "KivStorage_setUserMetadata_24ae125": (('userId', 'string', None, False), ('data', 'object', 'Metadata', False), ('options', 'object', 'MetadataOptions', False)),
    "KivStorage_subscribeUserMetadata_1fa04dd": (('userId', 'string', None, False),),
    "KivStorage_unsubscribeUserMetadata_1fa04dd": (('userId', 'string', None, False),),
    "KivStorage_updateChannelMetadata_55e6d00": (('channelName', 'string', None, False), ('channelType', 'integer', None, False), ('data', 'object', 'Metadata', False), ('options', 'object', 'MetadataOptions', False), ('lockName', 'string', None, False)),
    "KivStorage_updateUserMetadata_24ae125": (('userId', 'string', None, False), ('data', 'object', 'Metadata', False), ('options', 'object', 'MetadataOptions', False)),
    "KivLock_acquireLock_cd2dbc2": (('channelName', 'string', None, False), ('channelType', 'integer', None, False), ('lockName', 'string', None, False), ('retry', 'boolean', None, False)),
    "KivLock_getLocks_ad8568b": (('channelName', 'string', None, False), ('channelType', 'integer', None, False)),
    "KivLock_releaseLock_4ffa44d": (('channelName', 'string', None, False), ('channelType', 'integer', None, False), ('lockName', 'string', None, False)),
    "KivLock_removeLock_4ffa44d": (('channelName', 'string', None, False), ('channelType', 'integer', None, False), ('lockName', 'string', None, False)),
    "KivLock_revokeLock_fc4a9d7": (('channelName', 'string', None, False), ('channelType', 'integer', None, False), ('lockName', 'string', None, False), ('owner', 'string', None, False)),
    "KivLock_setLock_89e5672": (('channelName', 'string', None, False), ('channelType', 'integer', None, False), ('lockName', 'string', None, False), ('ttl', 'unsigned', None, False)),
    "KivPresence_getOnlineUsers_ce2d8e8": (('channelName', 'string', None, False), ('channelType', 'integer', None, False), ('options', 'object', 'GetOnlineUsersOptions', False)),
    "KivPresence_getState_4ffa44d": (('channelName', 'string', None, False), ('channelType', 'integer', None, False), ('userId', 'string', None, False)),
    "KivPresence_getUserChannels_1fa04dd": (('userId', 'string', None, False),),
    "KivPresence_removeState_d7033d8": (('channelName', 'string', None, False), ('channelType', 'integer', None, False), ('count', 'unsigned', None, False), ('keys', 'array', None, False)),
    "KivPresence_setState_b73723a": (('channelName', 'string', None, False), ('channelType', 'integer', None, False), ('items', 'array', 'StateItem', False), ('count', 'unsigned', None, False)),
    "KivPresence_whereNow_1fa04dd": (('userId', 'string', None, False),),
    "KivPresence_whoNow_f7f61d1": (('channelName', 'string', None, False), ('channelType', 'integer', None, False), ('options', 'object', 'PresenceOptions', False)),
    "KivHistory_getMessages_e5877fc": (('channelName', 'string', None, False), ('channelType', 'integer', None, False), ('options', 'object', 'GetHistoryMessagesOptions', False)),
}
