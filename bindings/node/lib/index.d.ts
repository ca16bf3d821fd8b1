/// <reference types="node" />
// The hand-written part of the declarations; the APIs, records and events
// come from api.generated.d.ts.
import { EventEmitter } from 'node:events';
import type { KivCodeName, KivEvent, KivEventBodies, KivModules, KivPayload } from './api.generated';

export * from './api.generated';

export interface KivCallResult {
  code: number;
  /** The parsed result JSON, its text when it is not JSON, or null. */
  result: unknown;
  raw: string;
}

export interface Engine extends KivModules {}

/** One engine handle. Events are emitted under their callback name and as 'event'. */
export class Engine extends EventEmitter {
  constructor();
  readonly closed: boolean;
  /** Any API by name, unchecked: never throws for a return code. */
  call(apiName: string, params?: object | string | null, payload?: KivPayload): KivCallResult;
  /** A described API with its keys checked: its result, or a Promise of its result event. */
  invoke(apiName: string, params?: object | string | null, payload?: KivPayload): unknown;
  /** Keeps the event loop alive for this engine's events until unlisten(). */
  listen(): this;
  unlisten(): this;
  /** Destroys the engine and releases its client; refused inside an event handler. */
  close(): void;
  errorReason(code: number): string;

  on<C extends keyof KivEventBodies>(event: C, listener: (event: KivEvent<C>) => void): this;
  on(event: 'event', listener: (event: KivEvent) => void): this;
  on(event: 'error', listener: (error: Error) => void): this;
  once<C extends keyof KivEventBodies>(event: C, listener: (event: KivEvent<C>) => void): this;
  once(event: 'event', listener: (event: KivEvent) => void): this;
  once(event: 'error', listener: (error: Error) => void): this;
  off<C extends keyof KivEventBodies>(event: C, listener: (event: KivEvent<C>) => void): this;
  off(event: 'event' | 'error', listener: (...args: any[]) => void): this;
}

export function version(): { version: string; build: number };
export const apis: string[];
export const events: string[];
export const codes: Record<KivCodeName, number>;

export class KivError extends Error {
  /** A library or SDK code (a number), or a string code for the binding's refusals. */
  code: number | string;
}
export class KivCallError extends KivError {
  code: number;
  apiName: string;
  result: unknown;
}
export class KivParamsError extends KivError {
  code: -2;
  apiName: string;
  /** The key that is missing or of the wrong kind, e.g. "option.messageType". */
  key: string;
}
export class KivRequestError extends KivError {
  code: number;
  apiName: string;
  event: KivEvent;
}
export class KivStateError extends KivError {
  code: 'ERR_KIV_CLOSED' | 'ERR_KIV_IN_EVENT_HANDLER';
}
