# The two commands a newcomer needs; both install what is missing first.
.PHONY: check demo bench build clean screenshots fuzz dist

check:
	@sh tools/check.sh

demo:
	@sh tools/demo.sh

build:
	@sh tools/deps.sh && sh tools/build.sh

clean:
	rm -rf build

bench:
	@sh tools/bench.sh

screenshots:
	@sh tools/screenshots.sh

dist:
	@sh tools/dist.sh

# Every libFuzzer target for FUZZ_SECONDS (default 60) each; fails on any finding.
fuzz:
	@sh tools/fuzz.sh
