// The web pages' pictures in docs/screenshots/ (web-leaderboard.png, web-player.png,
// web-game.png), taken by Chromium from koralith-web serving a database made by
// bench/web/make-db.py.
//   node tests/web/screenshots.mjs BUILD_DIR
import { execFileSync } from "node:child_process";
import { mkdtempSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import path from "node:path";
import { fileURLToPath } from "node:url";
import { launchBrowser, startWeb } from "./support.mjs";

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), "../..");
const build = path.resolve(process.argv[2] || "build");
const out = path.join(root, "docs/screenshots");
const folder = mkdtempSync(path.join(tmpdir(), "koralith-shots-"));
const database = path.join(folder, "koralith.db");
execFileSync("python3", [path.join(root, "bench/web/make-db.py"), database, "--players", "400",
    "--games", "6000", "--seed", "7", "--online", "23", "--running", "9"], { stdio: "inherit" });

const web = await startWeb(path.join(build, "bin/koralith-web"), database);
const browser = await launchBrowser();
try {
    const page = await browser.newPage({ viewport: { width: 1100, height: 900 } });
    const base = `http://127.0.0.1:${web.port}`;
    await page.goto(base + "/");
    await page.screenshot({ path: path.join(out, "web-leaderboard.png") });
    await page.click("table.ranking tbody tr:nth-child(2) a.name");
    await page.screenshot({ path: path.join(out, "web-player.png"), fullPage: true });
    // A game won by five, shown at its end.
    const row = page.locator("table.games tbody tr", { hasText: "Five in a row" }).first();
    await row.locator("a", { hasText: "Replay" }).click();
    await page.waitForSelector(".replay:not([hidden])");
    await page.screenshot({ path: path.join(out, "web-game.png"), fullPage: true });
    console.log(`pictures in ${out}`);
} finally {
    await browser.close();
    await web.stop();
    rmSync(folder, { recursive: true, force: true });
}
