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
  /** True when the result was longer than the library's result buffer and was cut. */
  cut: boolean;
}

/** Any one event, narrowed by its callback name. */
export type KivAnyEvent = { [C in keyof KivEventBodies]: KivEvent<C> }[keyof KivEventBodies];

/** Events of this engine that did not fit in the full event queue. */
export interface KivEventsDropped {
  /** Dropped since the last report. */
  count: number;
  /** Dropped since the engine was made (engine.droppedEvents). */
  total: number;
}

/** What an engine emits: every callback name, and 'event', 'error', 'eventsDropped'. */
export type KivEngineEvents = { [C in keyof KivEventBodies]: [event: KivEvent<C>] } & {
  event: [event: KivAnyEvent];
  error: [error: Error];
  eventsDropped: [report: KivEventsDropped];
};

export interface Engine extends KivModules {}

/** One engine handle. Events are emitted under their callback name and as 'event'. */
export class Engine extends EventEmitter<KivEngineEvents> {
  constructor();
  readonly closed: boolean;
  /** Events of this engine dropped because the event queue was full. */
  readonly droppedEvents: number;
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
}

export function version(): { version: string; build: number };
/**
 * Where the library's console log lines go, for the whole process: 'none' (the
 * default), 'stderr' or 'stdout'. The log file is written either way. Applies
 * from the library's load when called before the first engine, else from the
 * library's next log reset (such as the next `client.create`). Returns true.
 */
export function setLibraryOutput(where: 'none' | 'stderr' | 'stdout'): boolean;
/**
 * `events.once` for an engine, typed by event name: resolves with the event's
 * arguments (`const [event] = await once(engine, 'onLoginResult')`); rejects
 * if the engine emits 'error' first. The same function as Node's.
 */
export function once<K extends keyof KivEngineEvents>(
  engine: Engine,
  eventName: K,
  options?: { signal?: AbortSignal },
): Promise<KivEngineEvents[K]>;
/**
 * `events.on` for an engine, typed by event name: an async iterator over the
 * event's arguments (`for await (const [event] of on(engine, 'onMessageEvent'))`).
 * The same function as Node's.
 */
export function on<K extends keyof KivEngineEvents>(
  engine: Engine,
  eventName: K,
  options?: { signal?: AbortSignal },
): AsyncIterableIterator<KivEngineEvents[K]>;
/** The most bytes of events this thread's queue holds; past it, events other than request outcomes are dropped. */
export function setEventQueueLimit(bytes: number): void;
/** 64 MiB. */
export const DEFAULT_EVENT_QUEUE_LIMIT: number;
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
/** A request's result event carried a non-zero errorCode; C is its callback name. */
export class KivRequestError<C extends keyof KivEventBodies = keyof KivEventBodies> extends KivError {
  code: number;
  apiName: string;
  event: KivEvent<C>;
}
/** A synchronous result longer than the library's result buffer. */
export class KivResultCutError extends KivError {
  code: 'ERR_KIV_RESULT_CUT';
  apiName: string;
}
export class KivStateError extends KivError {
  code: 'ERR_KIV_CLOSED' | 'ERR_KIV_IN_EVENT_HANDLER';
}
