// koralith-web in a real browser: a real koralith-server plays a few games between players with
// hostile names (koralith_web_players), koralith-web serves its database, and Debian's Chromium
// follows the leaderboard to a player and a game, steps through the game by keys and buttons,
// downloads its SGF, and sees every name as plain text with no script run and no CSP violation.
//   node browser.test.mjs KORALITH_SERVER KORALITH_WEB KORALITH_WEB_PLAYERS
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { mkdtempSync, readFileSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import path from "node:path";
import { launchBrowser, startProgram, startWeb } from "./support.mjs";

const [serverBinary, webBinary, playersBinary] = process.argv.slice(2);
const folder = mkdtempSync(path.join(tmpdir(), "koralith-web-test-"));
const database = path.join(folder, "koralith.db");
const stops = [];
// Stops everything started, newest first; throws the first failure after all are stopped.
const cleanUp = async () => {
    const failures = [];
    for (const stop of stops.reverse()) {
        await stop().catch((e) => failures.push(e));
    }
    stops.length = 0;
    rmSync(folder, { recursive: true, force: true });
    if (failures.length > 0) {
        throw failures[0];
    }
};
const limit = setTimeout(async () => {
    console.error("browser test: not done within 60 s");
    await cleanUp().catch(() => {});
    process.exit(1);
}, 60000);

async function run() {
    const game = await startProgram(serverBinary,
        ["--listen", "127.0.0.1:0", "--db", database, "--hash-cost", "min"],
        /listening on 127\.0\.0\.1:(\d+)/);
    stops.push(async () => assert.equal(await game.stop(), 0, game.log()));
    const [header, ...played] = execFileSync(playersBinary, [String(game.port), database],
        { timeout: 30000 }).toString().trim().split("\n").map((line) => JSON.parse(line));
    const names = [...new Set(played.flatMap((g) => [g.black, g.white]))];
    assert.equal(names.length, 4);

    const web = await startWeb(webBinary, database);
    stops.push(async () => assert.equal(await web.stop(), 0, web.log()));
    const base = `http://127.0.0.1:${web.port}`;
    const browser = await launchBrowser();
    stops.push(() => browser.close());
    const page = await browser.newPage({ acceptDownloads: true });
    const problems = [];
    page.on("dialog", (d) => { problems.push(`dialog: ${d.message()}`); d.dismiss(); });
    page.on("console", (m) => {
        if (m.type() === "error" || /Content.Security.Policy/i.test(m.text())) {
            problems.push(`console: ${m.text()}`);
        }
    });
    page.on("pageerror", (e) => problems.push(`page error: ${e.message}`));

    // Every name on the leaderboard as its exact text, each isolated in a <bdi>.
    await page.goto(base + "/");
    const shown = await page.locator("table.ranking a.name bdi").allTextContents();
    assert.deepEqual([...shown].sort(), [...names].sort());
    const follow = async (name) => {
        const links = page.locator("a.name");
        for (let i = 0; i < await links.count(); ++i) {
            if (await links.nth(i).textContent() === name) {
                return Promise.all([page.waitForNavigation(), links.nth(i).click()]);
            }
        }
        assert.fail(`no link to ${name}`);
    };

    // A player with two games: the chart has a point for each, once ratings are recorded.
    const scripted = "<script>alert(1)</script>";
    await follow(scripted);
    assert.equal(await page.textContent("h1 bdi"), scripted);
    assert.equal(await page.title(), `\u2068${scripted}\u2069 · Koralith`);
    if (header.schema >= 4) {
        const points = await page.getAttribute("svg.chart polyline", "points");
        assert.equal(points.trim().split(/\s+/).length, 2, points);
    }
    assert.equal(await page.locator("table.games tbody tr").count(), 2);

    // Its newest game, won by white with five: stepped through by keys and buttons.
    await Promise.all([page.waitForNavigation(), page.click("table.games tbody tr:first-child a >> text=Replay")]);
    const record = await (await page.request.get(base + "/api" + new URL(page.url()).pathname)).json();
    const moves = played.find((g) => g.black === record.black.name && g.white === record.white.name).moves;
    assert.deepEqual(record.moves, moves);
    const total = moves.length;
    const expectAt = async (n) => {
        const stones = await page.$$eval("svg.board .stone:not(.off)",
            (all) => all.map((s) => [Number(s.dataset.x), Number(s.dataset.y)]));
        assert.deepEqual(stones, moves.slice(0, n), `after ${n} moves`);
        assert.equal(await page.textContent(".replay output"), `Move ${n} of ${total}`);
        assert.equal(await page.locator("svg.board .win circle").first().isVisible(), n === total);
    };
    await expectAt(total);
    assert.equal(await page.locator("svg.board .win circle").count(), 5);
    await page.keyboard.press("Home");
    await expectAt(0);
    for (let n = 1; n <= total; ++n) {
        await page.keyboard.press("ArrowRight");
        await expectAt(n);
    }
    await page.keyboard.press("ArrowLeft");
    await expectAt(total - 1);
    await page.keyboard.press("End");
    await expectAt(total);
    for (const [step, n] of [["first", 0], ["next", 1], ["last", total], ["prev", total - 1]]) {
        await page.click(`.replay button[data-step=${step}]`);
        await expectAt(n);
    }

    // The SGF download is the file the game server's own export writes.
    const [download] = await Promise.all([page.waitForEvent("download"), page.click("a.download")]);
    const exported = path.join(folder, "export");
    execFileSync(serverBinary, ["--db", database, "--export-games", exported], { timeout: 10000 });
    assert.equal(readFileSync(await download.path(), "utf8"),
        readFileSync(path.join(exported, download.suggestedFilename()), "utf8"));

    // The other hostile names lead to their pages and read as themselves there.
    for (const name of names.filter((n) => n !== scripted)) {
        await page.goto(base + "/");
        await follow(name);
        assert.equal(await page.textContent("h1 bdi"), name);
    }

    // With scripts off the ranking and the player pages work, and the board shows the end.
    const still = await browser.newPage({ javaScriptEnabled: false });
    await still.goto(base + "/");
    assert.equal(await still.locator("table.ranking tbody tr").count(), 4);
    await still.goto(page.url().replace(/\/player\/.*/, "/game/1"));
    assert.equal(await still.locator("svg.board .stone:not(.off)").count(), played[0].moves.length);
    assert.equal(await still.locator(".replay").isVisible(), false);

    assert.deepEqual(problems, []);
}

let failed = false;
try {
    await run();
    console.log("browser test: 1 passed, 0 failed");
} catch (e) {
    failed = true;
    console.error(e);
    console.log("browser test: 0 passed, 1 failed");
} finally {
    try {
        await cleanUp();
    } catch (e) {
        failed = true;
        console.error(e);
    }
    clearTimeout(limit);
}
process.exit(failed ? 1 : 0);
