# Reproducibility (sourced by scripts/bench.sh): two clean builds of loader.exe in fresh
# trees, their SHA-256 hashes, and the time the check takes.
echo "== loader.exe: reproducibility (two clean builds)"
"$ROOT/scripts/reproducible.sh" || true
