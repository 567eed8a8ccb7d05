// Prints the line and word times a third-party LRC parser reads from a file, in the JSON the
// program's side prints; with --lines, only what a reader of line tags alone finds.
//   node clrc-times.js FILE [--lines]
"use strict";
const fs = require("fs");
const { parse, parseEnhanced } = require("clrc");

// The parser splits lines at LF alone; the file's CR LF line ends are read as text mode would.
const text = fs.readFileSync(process.argv[2], "utf8").replace(/\r\n/g, "\n");
const onlyLines = process.argv.includes("--lines");
const lines = (onlyLines ? parse(text) : parseEnhanced(text)).filter(
  (line) => line.type === "lyric" || line.type === "enhanced_lyric");
const invalid = parseEnhanced(text).filter((line) => line.type === "invalid" && line.raw.trim() !== "");
if (!onlyLines && invalid.length > 0) {
  console.error("lines the parser calls invalid:", invalid.map((line) => line.raw));
  process.exit(1);
}
console.log(JSON.stringify(lines.map((line) => ({
  line: line.startMillisecond,
  words: onlyLines ? undefined : line.words.map((word) => word.startMillisecond),
}))));
