// Compiled with tsc --noEmit by types.test.js: the declarations type a host's
// use of the package, and reject what the library would refuse.
import {
  ChannelType, ConnectionState, Engine, KivEvent, KivParamsError, KivRequestError, on, once, setEventQueueLimit,
  setLibraryOutput,
} from '..';

async function host(engine: Engine): Promise<string> {
  engine.client.create({ config: { appId: 'a', userId: 'u' } });
  const login: KivEvent<'onLoginResult'> = await engine.client.login({ token: 't' });
  const code: number = login.body.errorCode;
  const id: string = login.body.requestId_str;
  await engine.client.publish({ channelName: 'c', option: { channelType: 1 } }, Buffer.from('x'));
  engine.listen().on('onMessageEvent', (event) => {
    const bytes: Buffer = event.payloads[0];
    void bytes;
  });
  try {
    await engine.lock.acquireLock({ channelName: 'c', channelType: 1, lockName: 'l', retry: false });
  } catch (error) {
    if (error instanceof KivRequestError) {
      const failed = error as KivRequestError<'onAcquireLockResult'>;
      const lockName: string = failed.event.body.lockName;
      return `${error.code} ${lockName}`;
    }
    if (error instanceof KivParamsError) return String(error.code);
  }
  // Keys whose records are all defaults may be left out.
  await engine.client.subscribe({ channelName: 'c' });
  // So may keys the binding has a default for: retry false, lockName "" (no lock).
  await engine.lock.acquireLock({ channelName: 'c', channelType: ChannelType.Message, lockName: 'l' });
  await engine.storage.setChannelMetadata({ channelName: 'c', channelType: ChannelType.Stream, data: { items: [] } });
  // An enumeration names the numbers it knows and takes any other.
  const unknownType: ChannelType = 42;
  await engine.history.getMessages({ channelName: 'c', channelType: unknownType });
  engine.on('onConnectionStateChanged', (event) => {
    const state: ConnectionState = event.body.state;
    void (state === ConnectionState.Connected);
  });
  // @ts-expect-error the named numbers are read-only
  ChannelType.Message = 2;
  // The 'event' listener narrows the body by its callback name.
  engine.on('event', (event) => {
    if (event.callback === 'onMessageEvent') {
      const publisher: string = event.body.event.publisher;
      void publisher;
    }
  });
  engine.prependListener('onLoginResult', (event) => void event.body.errorCode);
  engine.addListener('eventsDropped', (report) => void (report.count + report.total));
  engine.once('error', (error) => void error.message);
  // @ts-expect-error a message body holds no native address
  engine.on('onMessageEvent', (event) => event.body.event.message);
  // @ts-expect-error not an event of an engine
  engine.on('onNoSuchEvent', () => {});
  // events.once / events.on through the package, typed by event name.
  const [dropped] = await once(engine, 'eventsDropped');
  const total: number = dropped.total;
  void total;
  for await (const [message] of on(engine, 'onMessageEvent')) {
    const payload: Buffer = message.payloads[0];
    void payload;
    break;
  }
  // @ts-expect-error not an event of an engine
  await once(engine, 'onNoSuchEvent');
  // @ts-expect-error a login result's body has no event record
  void (await once(engine, 'onLoginResult'))[0].body.event;
  setEventQueueLimit(1 << 20);
  const moved: boolean = setLibraryOutput('stderr');
  void moved;
  // @ts-expect-error a missing key
  engine.client.login({});
  // @ts-expect-error a key of the wrong kind
  engine.client.login({ token: 5 });
  // @ts-expect-error a publish needs its payload
  engine.client.publish({ channelName: 'c', option: {} });
  engine.close();
  return `${code} ${id}`;
}

export { host };
