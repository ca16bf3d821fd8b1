// Compiled with tsc --noEmit by types.test.js: the declarations type a host's
// use of the package, and reject what the library would refuse.
import { Engine, KivEvent, KivParamsError, KivRequestError } from '..';

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
    if (error instanceof KivRequestError || error instanceof KivParamsError) return String(error.code);
  }
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
