// Steps through the game on the page: the board arrives drawn at its end (it reads so without
// this script); the buttons and Left/Right/Home/End hide and show the stones after a move.
"use strict";
(function () {
    const board = document.querySelector("svg.board");
    const controls = document.querySelector(".replay");
    if (!board || !controls) {
        return;
    }
    const stones = Array.from(board.querySelectorAll(".stone"));
    const win = board.querySelector(".win");
    const label = controls.querySelector("output");
    const buttons = {};
    controls.querySelectorAll("button").forEach((b) => { buttons[b.dataset.step] = b; });
    const total = stones.length;
    let at = total;

    function show(n) {
        at = Math.max(0, Math.min(total, n));
        stones.forEach((stone, i) => {
            stone.classList.toggle("off", i >= at);
            stone.classList.toggle("last", i === at - 1);
        });
        win.classList.toggle("off", at !== total);
        label.textContent = "Move " + at + " of " + total;
        buttons.first.disabled = buttons.prev.disabled = at === 0;
        buttons.next.disabled = buttons.last.disabled = at === total;
    }

    const target = {
        first: () => 0, prev: () => at - 1, next: () => at + 1, last: () => total,
    };
    Object.keys(target).forEach((step) => {
        buttons[step].addEventListener("click", () => show(target[step]()));
    });
    const keys = { ArrowLeft: "prev", ArrowRight: "next", Home: "first", End: "last" };
    document.addEventListener("keydown", (e) => {
        const step = keys[e.key];
        if (step && !e.altKey && !e.ctrlKey && !e.metaKey && !e.shiftKey) {
            e.preventDefault();
            show(target[step]());
        }
    });
    controls.hidden = false;
    show(total);
})();
