// A C source carried in a link's fragment: UTF-8, deflated (raw), in base64url. Unpacking
// refuses what is damaged and what would grow beyond a source's size, so no link can make the
// page inflate without end.
import { deflateSync, Inflate } from 'fflate';

export const MAX_SOURCE_BYTES = 1024 * 1024;

function toBase64Url(bytes) {
  let binary = '';
  for (let i = 0; i < bytes.length; i += 0x8000)
    binary += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
  return btoa(binary).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
}

function fromBase64Url(text) {
  if (!/^[A-Za-z0-9_-]*$/.test(text) || text.length % 4 === 1)
    throw new Error('not base64url');
  const binary = atob(text.replace(/-/g, '+').replace(/_/g, '/'));
  return Uint8Array.from(binary, (c) => c.charCodeAt(0));
}

// Inflates `data`, stopping as soon as the output passes `limit` bytes.
function inflateLimited(data, limit) {
  const chunks = [];
  let size = 0;
  let complete = false;
  const inflater = new Inflate((chunk, final) => {
    size += chunk.length;
    if (size > limit) throw new Error('longer than ' + limit + ' bytes');
    chunks.push(chunk);
    if (final) complete = true;
  });
  const step = 1024;
  for (let i = 0; i < data.length; i += step)
    inflater.push(data.subarray(i, i + step), i + step >= data.length);
  if (!complete) throw new Error('cut short');
  const out = new Uint8Array(size);
  let at = 0;
  for (const chunk of chunks) {
    out.set(chunk, at);
    at += chunk.length;
  }
  return out;
}

export function packSource(source) {
  return toBase64Url(deflateSync(new TextEncoder().encode(source), { level: 9 }));
}

// The source a fragment's text carries; throws an Error saying what is wrong with it.
export function unpackSource(text) {
  const bytes = inflateLimited(fromBase64Url(text), MAX_SOURCE_BYTES);
  return new TextDecoder('utf-8', { fatal: true }).decode(bytes);
}
