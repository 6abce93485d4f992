// vrncc's messages, read back: each is "FILE:LINE:COLUMN: error|warning: TEXT", then the source
// line and a caret under the column; a message with no place is "vrncc: error: TEXT".

const PLACED = /^(.*):(\d+):(\d+): (error|warning): (.*)$/;
const UNPLACED = /^vrncc: (error|warning): (.*)$/;

// [{ file, line, column, severity, message }] in the order given; line and column are 0 when
// the message has no place. Other lines ("vrncc: too many errors; giving up") are notes.
export function parseDiagnostics(text) {
  const found = [];
  const lines = text.split('\n');
  for (let i = 0; i < lines.length; ++i) {
    const line = lines[i].replace(/\r$/, '');
    if (line === '') continue;
    const placed = PLACED.exec(line);
    if (placed) {
      found.push({ file: placed[1], line: Number(placed[2]), column: Number(placed[3]),
                   severity: placed[4], message: placed[5] });
      i += 2;  // the source line and the caret
      continue;
    }
    const unplaced = UNPLACED.exec(line);
    if (unplaced) {
      found.push({ file: '', line: 0, column: 0, severity: unplaced[1], message: unplaced[2] });
      continue;
    }
    found.push({ file: '', line: 0, column: 0, severity: 'info',
                 message: line.replace(/^vrncc: /, '') });
  }
  return found;
}

// The column counts the bytes of the UTF-8 source, the editor the UTF-16 units of its text.
function offsetOfColumn(text, column) {
  let bytes = 0;
  let i = 0;
  while (i < text.length && bytes < column - 1) {
    const c = text.codePointAt(i);
    bytes += c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    i += c > 0xffff ? 2 : 1;
  }
  return i;
}

// The messages about `file` as the editor's diagnostics (CodeMirror's { from, to, severity,
// message }) over `doc`: each marks the word at its column, or the column's character.
export function editorDiagnostics(found, file, doc) {
  const marks = [];
  for (const d of found) {
    if (d.file !== file || d.line < 1 || d.line > doc.lines) continue;
    const line = doc.line(d.line);
    const from = line.from + offsetOfColumn(line.text, d.column);
    let to = from;
    while (to < line.to && /\w/.test(doc.sliceString(to, to + 1))) ++to;
    if (to === from && to < line.to) ++to;
    marks.push({ from, to, severity: d.severity, message: d.message });
  }
  return marks;
}
