"""What runs beside the saver while it runs, as one package: the displays
(Xvfb, and Xorg with monitors that change), the Wine session, the monitors'
layouts, rectangles, the screen (the saver's GL window, captures, input), the
test host, recorded pictures and the test suite itself. Machine set-up and
building stay in scripts/lib, in shell. `python3 scripts/harness` (or
`python3 -m harness` from scripts/) runs its commands by hand."""
