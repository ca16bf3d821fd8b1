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

    #: Creates a stream channel object, which the stream-channel calls then name; the stream-channel module answers it.
    KIV_CLIENT_CREATE_STREAM_CHANNEL: Final = "KivClient_createStreamChannel_ae3d0cf"
    #: Creates the engine's SDK client from a configuration; the call's buffer is the event sink.
    KIV_CLIENT_CREATE: Final = "KivClient_create"
    #: Answered by the library with code 4 and no result: lock calls need no handle.
    KIV_CLIENT_GET_LOCK: Final = "KivClient_getLock"
    #: Answered by the library with code 4 and no result: presence calls need no handle.
    KIV_CLIENT_GET_PRESENCE: Final = "KivClient_getPresence"
    #: Answered by the library with code 4 and no result: storage calls need no handle.
    KIV_CLIENT_GET_STORAGE: Final = "KivClient_getStorage"
    #: Logs the client in with a token.
    KIV_CLIENT_LOGIN: Final = "KivClient_login_1fa04dd"
    #: Logs the client out.
    KIV_CLIENT_LOGOUT: Final = "KivClient_logout_90386a9"
    #: Publishes the call's buffer as a message to a channel.
    KIV_CLIENT_PUBLISH: Final = "KivClient_publish_2d36e93"
    #: Releases the SDK client; the engine stays and may create another.
    KIV_CLIENT_RELEASE: Final = "KivClient_release"
    #: Replaces the client's token.
    KIV_CLIENT_RENEW_TOKEN: Final = "KivClient_renewToken_1fa04dd"
    #: Tells the SDK the host application's type.
    KIV_CLIENT_SET_APP_TYPE: Final = "KivClient_setAppType"
    #: Moves the library's log file to a path.
    KIV_CLIENT_SET_LOG_FILE: Final = "KivClient_setLogFile"
    #: Sets the size in KiB at which a log file rolls over.
    KIV_CLIENT_SET_LOG_FILE_SIZE: Final = "KivClient_setLogFileSize"
    #: Sets the lowest level of the library's log lines.
    KIV_CLIENT_SET_LOG_LEVEL: Final = "KivClient_setLogLevel"
    #: Passes settings to the SDK as JSON text.
    KIV_CLIENT_SET_PARAMETERS: Final = "KivClient_setParameters_3a2037f"
    #: Subscribes the client to a message channel.
    KIV_CLIENT_SUBSCRIBE: Final = "KivClient_subscribe_3fae92d"
    #: Leaves a message channel.
    KIV_CLIENT_UNSUBSCRIBE: Final = "KivClient_unsubscribe_1fa04dd"
    #: Answers the stream channel's name.
    STREAM_CHANNEL_GET_CHANNEL_NAME: Final = "StreamChannel_getChannelName"
    #: Lists the publishers of a topic the client subscribed to.
    STREAM_CHANNEL_GET_SUBSCRIBED_USER_LIST: Final = "StreamChannel_getSubscribedUserList_1fa04dd"
    #: Joins a topic of the stream channel as a publisher.
    STREAM_CHANNEL_JOIN_TOPIC: Final = "StreamChannel_joinTopic_ff0ec3f"
    #: Joins the stream channel.
    STREAM_CHANNEL_JOIN: Final = "StreamChannel_join_2090a6b"
    #: Stops publishing in a topic.
    STREAM_CHANNEL_LEAVE_TOPIC: Final = "StreamChannel_leaveTopic_1fa04dd"
    #: Leaves the stream channel.
    STREAM_CHANNEL_LEAVE: Final = "StreamChannel_leave_90386a9"
    #: Publishes the call's buffer as a message in a topic.
    STREAM_CHANNEL_PUBLISH_TOPIC_MESSAGE: Final = "StreamChannel_publishTopicMessage_a31773e"
    #: Releases the stream channel object.
    STREAM_CHANNEL_RELEASE: Final = "StreamChannel_release"
    #: Replaces the stream channel's token.
    STREAM_CHANNEL_RENEW_TOKEN: Final = "StreamChannel_renewToken_1fa04dd"
    #: Passes settings for the stream channel as JSON text.
    STREAM_CHANNEL_SET_PARAMETERS: Final = "StreamChannel_setParameters_3a2037f"
    #: Subscribes to publishers of a topic.
    STREAM_CHANNEL_SUBSCRIBE_TOPIC: Final = "StreamChannel_subscribeTopic_b801234"
    #: Unsubscribes from publishers of a topic.
    STREAM_CHANNEL_UNSUBSCRIBE_TOPIC: Final = "StreamChannel_unsubscribeTopic_b801234"
    #: Reads a channel's metadata.
    KIV_STORAGE_GET_CHANNEL_METADATA: Final = "KivStorage_getChannelMetadata_ad8568b"
    #: Reads a user's metadata.
    KIV_STORAGE_GET_USER_METADATA: Final = "KivStorage_getUserMetadata_1fa04dd"
    #: Removes items of a channel's metadata.
    KIV_STORAGE_REMOVE_CHANNEL_METADATA: Final = "KivStorage_removeChannelMetadata_55e6d00"
    #: Removes items of a user's metadata.
    KIV_STORAGE_REMOVE_USER_METADATA: Final = "KivStorage_removeUserMetadata_24ae125"
    #: Sets items of a channel's metadata.
    KIV_STORAGE_SET_CHANNEL_METADATA: Final = "KivStorage_setChannelMetadata_55e6d00"
    #: Sets items of a user's metadata.
    KIV_STORAGE_SET_USER_METADATA: Final = "KivStorage_setUserMetadata_24ae125"
    #: Subscribes to changes of a user's metadata.
    KIV_STORAGE_SUBSCRIBE_USER_METADATA: Final = "KivStorage_subscribeUserMetadata_1fa04dd"
    #: Ends the subscription to a user's metadata.
    KIV_STORAGE_UNSUBSCRIBE_USER_METADATA: Final = "KivStorage_unsubscribeUserMetadata_1fa04dd"
    #: Updates items of a channel's metadata.
    KIV_STORAGE_UPDATE_CHANNEL_METADATA: Final = "KivStorage_updateChannelMetadata_55e6d00"
    #: Updates items of a user's metadata.
    KIV_STORAGE_UPDATE_USER_METADATA: Final = "KivStorage_updateUserMetadata_24ae125"
    #: Acquires a lock; with retry, waits while another holds it.
    KIV_LOCK_ACQUIRE_LOCK: Final = "KivLock_acquireLock_cd2dbc2"
    #: Lists the locks of a channel.
    KIV_LOCK_GET_LOCKS: Final = "KivLock_getLocks_ad8568b"
    #: Releases a lock the client holds.
    KIV_LOCK_RELEASE_LOCK: Final = "KivLock_releaseLock_4ffa44d"
    #: Removes a lock from a channel.
    KIV_LOCK_REMOVE_LOCK: Final = "KivLock_removeLock_4ffa44d"
    #: Takes a lock away from the user holding it.
    KIV_LOCK_REVOKE_LOCK: Final = "KivLock_revokeLock_fc4a9d7"
    #: Creates a lock in a channel, with its time to live.
    KIV_LOCK_SET_LOCK: Final = "KivLock_setLock_89e5672"
    #: Lists the users present in a channel, page by page.
    KIV_PRESENCE_GET_ONLINE_USERS: Final = "KivPresence_getOnlineUsers_ce2d8e8"
    #: Reads a user's presence state in a channel.
    KIV_PRESENCE_GET_STATE: Final = "KivPresence_getState_4ffa44d"
    #: Lists the channels where a user is present.
    KIV_PRESENCE_GET_USER_CHANNELS: Final = "KivPresence_getUserChannels_1fa04dd"
    #: Removes keys of the client's presence state in a channel.
    KIV_PRESENCE_REMOVE_STATE: Final = "KivPresence_removeState_d7033d8"
    #: Sets items of the client's presence state in a channel.
    KIV_PRESENCE_SET_STATE: Final = "KivPresence_setState_b73723a"
    #: Lists the channels where a user is present.
    KIV_PRESENCE_WHERE_NOW: Final = "KivPresence_whereNow_1fa04dd"
    #: Lists the users present in a channel.
    KIV_PRESENCE_WHO_NOW: Final = "KivPresence_whoNow_f7f61d1"
    #: Reads the stored messages of a channel.
    KIV_HISTORY_GET_MESSAGES: Final = "KivHistory_getMessages_e5877fc"


class EventName:
    """Every event name that reaches a sink."""

    #: The client's link to the service changed state.
    ON_LINK_STATE_EVENT: Final = "KivEventHandler_onLinkStateEvent_6d5317f"
    #: A message arrived; its payload is the event's buffer.
    ON_MESSAGE_EVENT: Final = "KivEventHandler_onMessageEvent_ce5f8f5"
    #: Users came, went or changed their state in a channel.
    ON_PRESENCE_EVENT: Final = "KivEventHandler_onPresenceEvent_32b5db1"
    #: Publishers joined or left topics of a stream channel.
    ON_TOPIC_EVENT: Final = "KivEventHandler_onTopicEvent_b4e4bd7"
    #: Locks of a channel changed.
    ON_LOCK_EVENT: Final = "KivEventHandler_onLockEvent_5e7fbef"
    #: Metadata of a channel or a user changed.
    ON_STORAGE_EVENT: Final = "KivEventHandler_onStorageEvent_4304228"
    #: Something happened to the client's token.
    ON_TOKEN_EVENT: Final = "KivEventHandler_onTokenEvent_ec6a1f1"
    #: The outcome of joining a stream channel.
    ON_JOIN_RESULT: Final = "KivEventHandler_onJoinResult_ce14e01"
    #: The outcome of leaving a stream channel.
    ON_LEAVE_RESULT: Final = "KivEventHandler_onLeaveResult_ce14e01"
    #: The outcome of publishing a message in a topic.
    ON_PUBLISH_TOPIC_MESSAGE_RESULT: Final = "KivEventHandler_onPublishTopicMessageResult_ce14e01"
    #: The outcome of joining a topic.
    ON_JOIN_TOPIC_RESULT: Final = "KivEventHandler_onJoinTopicResult_bfd472e"
    #: The outcome of leaving a topic.
    ON_LEAVE_TOPIC_RESULT: Final = "KivEventHandler_onLeaveTopicResult_bfd472e"
    #: The outcome of subscribing to a topic's publishers.
    ON_SUBSCRIBE_TOPIC_RESULT: Final = "KivEventHandler_onSubscribeTopicResult_ae281ad"
    #: The outcome of unsubscribing from a topic's publishers.
    ON_UNSUBSCRIBE_TOPIC_RESULT: Final = "KivEventHandler_onUnsubscribeTopicResult_ce14e01"
    #: The publishers of a topic the client subscribed to.
    ON_GET_SUBSCRIBED_USER_LIST_RESULT: Final = "KivEventHandler_onGetSubscribedUserListResult_79f7ec8"
    #: The connection of the client or a stream channel changed.
    ON_CONNECTION_STATE_CHANGED: Final = "KivEventHandler_onConnectionStateChanged_ac0fd53"
    #: The token of the client or a stream channel expires soon.
    ON_TOKEN_PRIVILEGE_WILL_EXPIRE: Final = "KivEventHandler_onTokenPrivilegeWillExpire_3a2037f"
    #: The outcome of subscribing to a message channel.
    ON_SUBSCRIBE_RESULT: Final = "KivEventHandler_onSubscribeResult_edf84fc"
    #: The outcome of leaving a message channel.
    ON_UNSUBSCRIBE_RESULT: Final = "KivEventHandler_onUnsubscribeResult_edf84fc"
    #: The outcome of publishing a message.
    ON_PUBLISH_RESULT: Final = "KivEventHandler_onPublishResult_4f46899"
    #: The outcome of the login.
    ON_LOGIN_RESULT: Final = "KivEventHandler_onLoginResult_4f46899"
    #: The outcome of the logout.
    ON_LOGOUT_RESULT: Final = "KivEventHandler_onLogoutResult_4f46899"
    #: The outcome of renewing a token.
    ON_RENEW_TOKEN_RESULT: Final = "KivEventHandler_onRenewTokenResult_e9203be"
    #: The outcome of setting a channel's metadata.
    ON_SET_CHANNEL_METADATA_RESULT: Final = "KivEventHandler_onSetChannelMetadataResult_7cb1a6e"
    #: The outcome of updating a channel's metadata.
    ON_UPDATE_CHANNEL_METADATA_RESULT: Final = "KivEventHandler_onUpdateChannelMetadataResult_7cb1a6e"
    #: The outcome of removing a channel's metadata.
    ON_REMOVE_CHANNEL_METADATA_RESULT: Final = "KivEventHandler_onRemoveChannelMetadataResult_7cb1a6e"
    #: A channel's metadata, as read.
    ON_GET_CHANNEL_METADATA_RESULT: Final = "KivEventHandler_onGetChannelMetadataResult_d105bb5"
    #: The outcome of setting a user's metadata.
    ON_SET_USER_METADATA_RESULT: Final = "KivEventHandler_onSetUserMetadataResult_edf84fc"
    #: The outcome of updating a user's metadata.
    ON_UPDATE_USER_METADATA_RESULT: Final = "KivEventHandler_onUpdateUserMetadataResult_edf84fc"
    #: The outcome of removing a user's metadata.
    ON_REMOVE_USER_METADATA_RESULT: Final = "KivEventHandler_onRemoveUserMetadataResult_edf84fc"
    #: A user's metadata, as read.
    ON_GET_USER_METADATA_RESULT: Final = "KivEventHandler_onGetUserMetadataResult_7065706"
    #: The outcome of subscribing to a user's metadata.
    ON_SUBSCRIBE_USER_METADATA_RESULT: Final = "KivEventHandler_onSubscribeUserMetadataResult_edf84fc"
    #: The outcome of ending a metadata subscription.
    ON_UNSUBSCRIBE_USER_METADATA_RESULT: Final = "KivEventHandler_onUnsubscribeUserMetadataResult_edf84fc"
    #: The outcome of creating a lock.
    ON_SET_LOCK_RESULT: Final = "KivEventHandler_onSetLockResult_01034fa"
    #: The outcome of removing a lock.
    ON_REMOVE_LOCK_RESULT: Final = "KivEventHandler_onRemoveLockResult_01034fa"
    #: The outcome of releasing a lock.
    ON_RELEASE_LOCK_RESULT: Final = "KivEventHandler_onReleaseLockResult_01034fa"
    #: The outcome of acquiring a lock.
    ON_ACQUIRE_LOCK_RESULT: Final = "KivEventHandler_onAcquireLockResult_aad7ec0"
    #: The outcome of revoking a lock.
    ON_REVOKE_LOCK_RESULT: Final = "KivEventHandler_onRevokeLockResult_01034fa"
    #: The locks of a channel.
    ON_GET_LOCKS_RESULT: Final = "KivEventHandler_onGetLocksResult_6e98f5f"
    #: The users present in a channel.
    ON_WHO_NOW_RESULT: Final = "KivEventHandler_onWhoNowResult_b070777"
    #: A page of the users present in a channel.
    ON_GET_ONLINE_USERS_RESULT: Final = "KivEventHandler_onGetOnlineUsersResult_b070777"
    #: The channels where a user is present.
    ON_WHERE_NOW_RESULT: Final = "KivEventHandler_onWhereNowResult_ae64023"
    #: The channels where a user is present.
    ON_GET_USER_CHANNELS_RESULT: Final = "KivEventHandler_onGetUserChannelsResult_ae64023"
    #: The outcome of setting presence state.
    ON_PRESENCE_SET_STATE_RESULT: Final = "KivEventHandler_onPresenceSetStateResult_4f46899"
    #: The outcome of removing presence state.
    ON_PRESENCE_REMOVE_STATE_RESULT: Final = "KivEventHandler_onPresenceRemoveStateResult_4f46899"
    #: A user's presence state, as read.
    ON_PRESENCE_GET_STATE_RESULT: Final = "KivEventHandler_onPresenceGetStateResult_3d764cc"
    #: Stored messages; each payload is a buffer of the event.
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
