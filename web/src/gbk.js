// GBK text, as the game holds it, to and from the page's Unicode. A
// character outside GBK has its four-byte GB18030 code, as on the desktop.
// The browser decodes GB18030 but encodes only UTF-8: the way back is the
// decoder's own table read backwards, made once, on first use.

const decoder = new TextDecoder('gb18030');
const kReplacement = '\ufffd';
const kQuestionMark = 0x3f;

// The first four-byte code of the planes beyond the first, and the sizes of
// the places of a four-byte code (byte 1 and 3: 126 values, 2 and 4: 10).
const kSupplementaryPointer = 189000;

function fourBytes(pointer) {
  return [
    0x81 + Math.floor(pointer / 12600),
    0x30 + Math.floor(pointer / 1260) % 10,
    0x81 + Math.floor(pointer / 10) % 126,
    0x30 + pointer % 10,
  ];
}

let codes = null;  // code point -> its bytes

// Every two-byte code, and every four-byte code of the first plane, decoded
// in one piece each; a character with both keeps its two-byte code.
function buildCodes() {
  codes = new Map();
  const kFourByteCodes = 39420;
  const four = [];
  for (let pointer = 0; pointer < kFourByteCodes; ++pointer) four.push(...fourBytes(pointer));
  [...decoder.decode(new Uint8Array(four))].forEach((character, pointer) => {
    if (character !== kReplacement) codes.set(character.codePointAt(0), four.slice(4 * pointer, 4 * pointer + 4));
  });
  const two = [];
  for (let lead = 0x81; lead <= 0xfe; ++lead) {
    for (let trail = 0x40; trail <= 0xfe; ++trail) if (trail !== 0x7f) two.push(lead, trail);
  }
  [...decoder.decode(new Uint8Array(two))].forEach((character, index) => {
    if (character !== kReplacement) codes.set(character.codePointAt(0), two.slice(2 * index, 2 * index + 2));
  });
}

// Text of GBK (or GB18030) bytes; bytes that make no character become '?'.
export function textOfGbk(bytes) {
  return decoder.decode(bytes).replaceAll(kReplacement, '?');
}

// GBK bytes of text; what has no code (text that was not UTF-8) becomes '?'.
export function gbkOfText(text) {
  if (codes === null) buildCodes();
  const bytes = [];
  for (const character of text) {
    const code = character.codePointAt(0);
    if (code < 0x80) bytes.push(code);
    else if (code >= 0x10000) bytes.push(...fourBytes(code - 0x10000 + kSupplementaryPointer));
    else bytes.push(...(codes.get(code) || [kQuestionMark]));
  }
  return new Uint8Array(bytes);
}
