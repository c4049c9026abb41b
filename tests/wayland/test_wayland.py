#!/usr/bin/python3
"""quillmere-wayland end to end, each case under a private headless sway or
the fake compositor: every output shows the headless renderer's frames for
its own picture as shown, size and the same seed (one output, two, one
added later, scale 2, every transform, a portrait output, captures in XBGR
or stored bottom-up); the pointer, keys, a held key and touch follow the
saver's rules; swayidle starts it and motion ends it; without frame
callbacks nothing is composed; signals end it cleanly, even while it starts
or with the supervisor killed outright; an output that goes, or one it
cannot serve, ends only its board; a new scale goes with its configure; and
every bad surrounding gets one line and its status."""

import os
import signal
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from wayland_harness import (SEED, FakeSession, Session, binary, check_idle_start, check_input_rules,  # noqa: E402
                             check_signals, check_two_outputs, descendants, gone, run_cases, wait_for)
from harness import alive, check_intro_and_slide, cpu_percent, pixels, shot_tick, sleep_until, ticks_by  # noqa: E402


def settled_shot(s, name):
    """A shot of HEADLESS-1 once two in a row agree (a change takes a frame or two)."""
    last = None
    for _ in range(50):
        shot = s.shot(name=name)
        if pixels(shot) == last:
            return shot
        last = pixels(shot)
        time.sleep(0.1)
    raise AssertionError("HEADLESS-1 did not settle")


def case_frames_on_one_output_without_the_pointer():
    with Session("one", hide_cursor=False) as s:
        frames = s.render(s.desktops[0], SEED, 300)
        saver = s.start_saver(seed=SEED)
        print("shuffle shots matched ticks", check_intro_and_slide(s, frames, saver, "HEADLESS-1"))
        assert len(s.boards(saver)) == 1, "not one board process for one output"
        # A pointer that comes after the photograph: its arrow would spoil the frame.
        s.pointer().move(300, 200)
        time.sleep(0.2)
        shot_tick(s, frames, saver, "HEADLESS-1")


def case_frames_on_two_outputs_and_a_click_ends_both():
    with Session("two", outputs=((512, 384), (400, 300))) as s:
        check_two_outputs(s)


def case_a_pointer_gone_with_a_button_held_ends_it():
    """The only pointer goes while its button is held over the saver: no
    release will come, and the saver ends instead of waiting for one."""
    with Session("pointer-gone") as s:
        pointer = s.pointer()
        saver = s.start_saver(seed=SEED)
        sleep_until(saver, 1.0)
        pointer.move(200, 150)
        pointer.button(1, "press")
        time.sleep(0.5)
        assert s.is_running(saver), "the saver ended before the button was let go"
        s.kill(pointer.proc)
        assert s.wait_exit(saver, 3) == 0, saver.stderr.read()


def case_output_added_later_is_left_alone():
    """Its picture, photographed as it appears, would be of an output its
    wallpaper has not reached yet."""
    with Session("added") as s:
        saver = s.start_saver()
        time.sleep(0.5)
        s.swaymsg("create_output")
        time.sleep(1.0)
        assert len(s.boards(saver)) == 1 and s.is_running(saver)


def case_scale_two_draws_at_pixel_size():
    with Session("scale", outputs=((1024, 768),), scale=2) as s:
        frames = s.render(s.desktops[0], SEED, 250)
        saver = s.start_saver(seed=SEED)
        sleep_until(saver, 1.0)
        first = shot_tick(s, frames, saver, "HEADLESS-1")
        assert frames.phase(first) == "intro", f"tick {first}"
        time.sleep(0.5)
        later = shot_tick(s, frames, saver, "HEADLESS-1")
        assert later > first, f"ticks {first} then {later}"
        # The same pixels at another scale: the board goes on as it was.
        s.swaymsg("output", "HEADLESS-1", "scale", 1)
        time.sleep(0.5)
        assert shot_tick(s, frames, saver, "HEADLESS-1") > later, "lost at scale 1"


def case_every_transform_shows_the_picture_as_shown():
    """The capture comes in the output's own orientation: each of sway's
    eight transforms must be undone, so that the board is what the user saw."""
    with Session("transforms", outputs=((320, 240),)) as s:
        for transform in ("90", "180", "270", "flipped", "flipped-90", "flipped-180", "flipped-270", "normal"):
            s.swaymsg("output", "HEADLESS-1", "transform", transform)
            desktop = settled_shot(s, f"shown-{transform}.png")
            frames = s.render(desktop, SEED, 80, size=pixels(desktop)[0])
            saver = s.start_saver(seed=SEED)
            sleep_until(saver, 1.0)
            assert frames.phase(shot_tick(s, frames, saver, "HEADLESS-1")) == "intro", transform
            s.terminate(saver)


def case_a_portrait_output_beside_a_landscape_one():
    with Session("portrait", outputs=((512, 384), (512, 384)), transforms=["normal", "90"]) as s:
        mine = [s.render(d, SEED, 80, size) for d, size in zip(s.desktops, s.shown)]
        saver = s.start_saver(seed=SEED)
        sleep_until(saver, 1.0)
        ticks = [shot_tick(s, frames, saver, name) for name, frames in zip(s.names, mine)]
        assert [frames.phase(tick) for frames, tick in zip(mine, ticks)] == ["intro"] * 2, ticks


def case_a_scale_goes_with_its_configure():
    """The new scale comes five ticks before the configure for it: the board
    keeps its pixel size throughout. A scale that no configure follows (the
    surface keeps its size in the compositor's units) goes alone."""
    with FakeSession("scale", outputs=((640, 480),)) as s:
        saver = s.start_saver()
        time.sleep(1.0)
        s.tell("scale", 1, 2)
        time.sleep(0.1)
        s.tell("configure", 1)
        time.sleep(0.5)
        assert s.sizes(1) == ["640x480@1", "640x480@2"], s.sizes(1)
        s.tell("scale", 1, 1)
        time.sleep(0.6)
        assert s.sizes(1)[2:] == ["320x240@1"], s.sizes(1)


def case_captures_in_xbgr_and_stored_bottom_up():
    with FakeSession("formats", outputs=((320, 240), (256, 192)), options=["xbgr", "y-invert"]) as s:
        mine = [s.render(d, SEED, 80, size) for d, size in zip(s.desktops, s.outputs)]
        saver = s.start_saver(seed=SEED)
        sleep_until(saver, 1.0)
        for name, frames in zip(s.names, mine):
            assert frames.phase(shot_tick(s, frames, saver, name)) == "intro"


def case_input_rules():
    with Session("input") as s:
        check_input_rules(s, "HEADLESS-1")


def case_a_held_key_repeats():
    """Held through the intro, a key repeats as sway says (25 a second after
    600 ms) until let go; each press chooses the move again, so the shuffle
    after the intro follows from how many came."""
    with Session("repeat", outputs=((320, 240),)) as s:
        saver = s.start_saver(seed=SEED)
        time.sleep(0.3)
        s.wtype("-k", "Shift_L", "-s", "200", "-P", "a", "-s", "900", "-p", "a")
        sleep_until(saver, 2.6)
        shot = s.shot()
        # Held 900 ms: the press and about eight repeats.
        presses = [n for n in range(1, 13)
                   if s.match(shot, s.render(s.desktops[0], SEED, 150, keys=[50] * n), 101, 150)]
        assert presses and presses[0] >= 5, f"the shuffle follows {presses or 'no count of'} presses"


def case_a_touch_ends_it_once_lifted_and_a_keymap_past_its_file_is_refused():
    """The fake's keymap claims 64 pages of a one-page file: read as claimed,
    the board would die of SIGBUS."""
    with FakeSession("touch", flags=("--bad-keymap",)) as s:
        for last in ("up", "cancel"):
            saver = s.start_saver()
            time.sleep(0.7)
            assert s.tell("touch", "down") == "ok"
            time.sleep(0.3)
            assert s.is_running(saver), f"ended before the finger was lifted: {saver.stderr.read()}"
            s.tell("touch", last)
            assert s.wait_exit(saver, 2) == 0, f"touch {last}"


def case_swayidle_starts_it_and_motion_ends_it():
    with Session("idle") as s:
        check_idle_start(s, "HEADLESS-1")


def case_no_frame_callbacks_no_frames():
    """This sway's headless outputs refuse `dpms off` ("Failed to commit
    output"), so the compositor is stopped instead, which withholds frame
    callbacks just as an output that is off does."""
    with Session("paused") as s:
        frames = s.render(s.desktops[0], SEED, 300)
        saver = s.start_saver(seed=SEED)
        sleep_until(saver, 1.0)
        before, taken = shot_tick(s, frames, saver, "HEADLESS-1"), time.monotonic()
        os.kill(s.server.pid, signal.SIGSTOP)
        try:
            time.sleep(0.5)
            processes = [saver.pid, *s.boards(saver)]
            shares = cpu_percent(processes, 3.0)
        finally:
            os.kill(s.server.pid, signal.SIGCONT)
        print("CPU while no frame callbacks come, percent of a core:", shares)
        assert max(shares) < 0.3, f"CPU {shares} while the output takes no frames"
        time.sleep(0.3)
        after = shot_tick(s, frames, saver, "HEADLESS-1")
        # Had it run on through the 3.5 s without callbacks, 175 ticks more.
        running = time.monotonic() - taken - 3.5
        assert after - before <= running / 0.020 + 10, f"ticks {before} -> {after}"
        assert after > before, "no frames once callbacks came again"


def case_signals_end_it_cleanly():
    with Session("signals", outputs=((512, 384), (400, 300))) as s:
        check_signals(s)


def case_supervisor_killed_leaves_nothing_behind():
    with Session("killed", outputs=((512, 384), (400, 300))) as s:
        saver = s.start_saver()
        time.sleep(1.0)
        boards = s.boards(saver)
        s.kill(saver)
        time.sleep(1.0)
        assert gone(boards), "a board outlived the supervisor killed outright"
        for name, desktop in zip(s.names, s.desktops):
            assert pixels(s.shot(name)) == pixels(desktop), f"{name} is still covered"


def case_an_output_that_goes_ends_only_its_board():
    with FakeSession("unplug", outputs=((320, 240), (256, 192))) as s:
        saver = s.start_saver()
        time.sleep(1.0)
        s.tell("remove", 2)
        assert wait_for(lambda: len(s.boards(saver)) == 1, 2), "its board did not end"
        before = pixels(s.shot("1"))
        time.sleep(0.3)
        assert s.is_running(saver) and pixels(s.shot("1")) != before, "the other board stopped"
        s.tell("remove", 1)
        assert s.wait_exit(saver, 2) == 0 and saver.stderr.read() == b""


def case_outputs_it_cannot_serve_are_left_alone():
    with FakeSession("odd", outputs=((320, 240),) * 3,
                     options=["", "configure=16384x16384", "configure=0x0"]) as s:
        frames = s.render(s.desktops[0], SEED, 80)
        saver = s.start_saver(seed=SEED)
        sleep_until(saver, 1.0)
        shot_tick(s, frames, saver, "1")
        assert len(s.boards(saver)) == 1 and s.sizes(2) == s.sizes(3) == []
        assert s.terminate(saver)[0] == 0
        assert sorted(saver.stderr.read().decode().splitlines()) == [
            "quillmere-wayland: an output of 0 x 0 pixels is left alone: the compositor gave it no size",
            "quillmere-wayland: an output of 16384 x 16384 pixels is left alone: no shared memory of that size"]


def case_a_signal_while_it_starts_ends_it_before_anything_shows():
    """The capture is never answered: the board waiting for it (five
    seconds, then the sample desktop) must still end at once."""
    with FakeSession("early", options=["mute"]) as s:
        saver = s.start_saver()
        time.sleep(0.5)
        status, seconds = s.terminate(saver)
        assert status == 0 and seconds < 0.5, f"status {status} after {seconds:.2f} s"
        assert s.sizes(1) == [], "its cover was shown"


def case_compositor_gone():
    with Session("gone", outputs=((512, 384), (400, 300))) as s:
        saver = s.start_saver()
        time.sleep(1.0)
        s.kill(s.server)
        assert s.wait_exit(saver, 5) == 1
        lines = saver.stderr.read().decode().splitlines()
        assert lines == ["quillmere-wayland: lost the connection to the Wayland compositor"], lines


def case_bad_surroundings():
    with Session("bad") as s:
        fakes = {}
        for mode in ("no-layer-shell", "protocol-error"):
            fake = s.start([binary("FAKE_COMPOSITOR"), mode, mode], stdout=subprocess.PIPE)
            assert fake.stdout.readline().strip() == b"ready"
            fakes[mode] = dict(s.env, WAYLAND_DISPLAY=mode)
        unset = {k: v for k, v in s.env.items() if k != "WAYLAND_DISPLAY"}
        cases = [
            (["--fullscreen"], s.env, 2, 'unknown option "--fullscreen" (usage: quillmere-wayland'),
            (["root"], s.env, 2, "unknown option"),
            ([], unset, 2, "WAYLAND_DISPLAY is not set"),
            ([], dict(s.env, WAYLAND_DISPLAY="wayland-nowhere"), 2, 'cannot connect to the Wayland compositor "wayland-nowhere"'),
            ([], dict(s.env, QUILLMERE_SEED="seven"), 2, "QUILLMERE_SEED: not a number"),
            ([], fakes["no-layer-shell"], 2, "the compositor lacks zwlr_layer_shell_v1"),
            ([], fakes["protocol-error"], 1, "protocol error 0 on wl_compositor@"),
        ]
        for args, env, expected, reason in cases:
            result = subprocess.run([binary("WAYLAND"), *args], env=env, capture_output=True,
                                    text=True, timeout=10)
            lines = result.stderr.splitlines()
            assert result.returncode == expected, f"{args} {reason}: status {result.returncode}"
            assert len(lines) == 1 and reason in lines[0], f"{args}: {result.stderr!r}"
        assert "refused for the test" in lines[0], "the compositor's own words are left out"


if __name__ == "__main__":
    run_cases(globals())
