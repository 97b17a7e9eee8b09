// Tokenises sample.ovs with the VS Code grammar through vscode-textmate (the engine VS Code
// itself uses) and checks the scopes listed in checks.tsv; also checks that the extension's
// manifest points at files that exist. Prints one line per check ("ok" or "FAIL"); run-editors
// counts them.
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

const require = createRequire(import.meta.url);
const here = dirname(fileURLToPath(import.meta.url));
const extension = join(here, '..', '..', 'editors', 'vscode');
const textmate = require('vscode-textmate');
const oniguruma = require('vscode-oniguruma');

function report(ok, what, detail = '') {
  console.log(`${ok ? 'ok  ' : 'FAIL'} textmate: ${what}${ok || !detail ? '' : ` (${detail})`}`);
}

const readJson = (path) => JSON.parse(readFileSync(path, 'utf8'));

// The manifest: a wrong path or id here loads nothing in the editor, silently.
const manifest = readJson(join(extension, 'package.json'));
const language = manifest.contributes.languages.find((l) => l.id === 'ovs');
report(language?.extensions?.includes('.ovs'), 'language "ovs" claims .ovs files');
const configuration = readJson(join(extension, language.configuration));
report(configuration.comments?.lineComment === ';', 'line comment is ";"');
const contributed = manifest.contributes.grammars.find((g) => g.language === 'ovs');
const grammarPath = join(extension, contributed.path);
const grammarJson = readJson(grammarPath);
report(grammarJson.scopeName === contributed.scopeName, `grammar scope ${contributed.scopeName} matches the file's`);

const wasm = readFileSync(require.resolve('vscode-oniguruma/release/onig.wasm'));
await oniguruma.loadWASM(wasm.buffer.slice(wasm.byteOffset, wasm.byteOffset + wasm.byteLength));
const registry = new textmate.Registry({
  onigLib: Promise.resolve({
    createOnigScanner: (patterns) => new oniguruma.OnigScanner(patterns),
    createOnigString: (text) => new oniguruma.OnigString(text),
  }),
  loadGrammar: async (scopeName) =>
    scopeName === grammarJson.scopeName ? textmate.parseRawGrammar(readFileSync(grammarPath, 'utf8'), grammarPath) : null,
});
const grammar = await registry.loadGrammar(grammarJson.scopeName);

// Tokens of every line, carrying the rule stack from line to line as the editor does.
const lines = readFileSync(join(here, 'sample.ovs'), 'utf8').split('\n');
const tokens = [];
let state = textmate.INITIAL;
for (const line of lines) {
  const result = grammar.tokenizeLine(line, state);
  tokens.push(result.tokens);
  state = result.ruleStack;
}

for (const row of readFileSync(join(here, 'checks.tsv'), 'utf8').split('\n')) {
  if (row === '' || row.startsWith('#')) continue;
  const [lineNumber, needle, expected] = row.split('\t');
  const what = `line ${lineNumber} "${needle}" ${expected}`;
  const text = lines[Number(lineNumber) - 1] ?? '';
  const [before, target] = needle.includes('|') ? needle.split('|') : ['', needle];
  const found = text.indexOf(before + target);
  if (found < 0) {
    report(false, what, 'text not on that line');
    continue;
  }
  const column = found + before.length;
  const token = tokens[Number(lineNumber) - 1].find((t) => t.startIndex <= column && column < t.endIndex);
  const scopes = token ? token.scopes : [];
  const wrong = expected.split(' ').filter((want) =>
    want.startsWith('!') ? scopes.some((s) => s.startsWith(want.slice(1))) : !scopes.includes(want));
  report(wrong.length === 0, what, `got ${scopes.join(' ')}`);
}
