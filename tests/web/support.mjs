// What the browser test and the screenshot script share: a program started as a child process
// whose start line carries its port, and Debian's Chromium under playwright-core (no browser of
// Playwright's own is downloaded).
import { spawn } from "node:child_process";
import { chromium } from "playwright-core";

// Starts `program` with `args` and waits (10 s at most) for a line of standard error matching
// `ready` (whose first group is the port). Resolves to { port, log(), stop() }; stop() sends
// SIGTERM and resolves to the exit code once the child has ended (SIGKILL after 5 s).
export function startProgram(program, args, ready) {
    const child = spawn(program, args, { stdio: ["ignore", "pipe", "pipe"] });
    let log = "";
    const ended = new Promise((resolve) => child.on("exit", (code, signal) => resolve(code ?? signal)));
    const collect = (chunk) => { log += chunk; };
    child.stdout.on("data", collect);
    child.stderr.on("data", collect);
    const stop = async () => {
        if (child.exitCode === null && child.signalCode === null) {
            child.kill("SIGTERM");
            const timer = setTimeout(() => child.kill("SIGKILL"), 5000);
            const code = await ended;
            clearTimeout(timer);
            return code;
        }
        return ended;
    };
    return new Promise((resolve, reject) => {
        const timer = setTimeout(() => { stop(); reject(new Error(`${program} did not start:\n${log}`)); }, 10000);
        const look = () => {
            const m = log.match(ready);
            if (m) {
                clearTimeout(timer);
                resolve({ port: Number(m[1]), log: () => log, stop });
            }
        };
        child.stderr.on("data", look);
        child.on("exit", () => { clearTimeout(timer); reject(new Error(`${program} ended:\n${log}`)); });
    });
}

export function startWeb(binary, database) {
    return startProgram(binary, ["--db", database, "--listen", "127.0.0.1:0"],
        /start: listening on 127\.0\.0\.1:(\d+)/);
}

export function launchBrowser() {
    return chromium.launch({
        executablePath: process.env.KORALITH_CHROMIUM || "/usr/bin/chromium",
        headless: true,
        args: ["--no-sandbox", "--disable-gpu", "--font-render-hinting=none"],
    });
}
