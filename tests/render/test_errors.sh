#!/usr/bin/env bash
# Every error path: one line on stderr naming the problem, nothing on stdout, exit
# code 2, and no file left behind, not even a temporary one.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
mkdir out
touch plainfile
mkdir folder.png

expect_error "unknown option '--bogus'" --bogus -o x.png
expect_error "unknown option '--MODE'" --MODE 3 -o x.png
expect_error "unexpected argument 'picture.png'" picture.png
expect_error "--seed needs a value" -o x.png --seed
for size in 0x0 10x -5x5 99999999x99999999 640 640x480x2 axb; do
    expect_error "--size '$size'" --size "$size" -o x.png
done
expect_error "pixels" --size 30000x30000 -o x.png
expect_error "--palette 'OCEANS': no such preset" --palette OCEANS -o x.png
expect_error "--palette '2'" --palette 2 -o x.png
expect_error "--mode 'three'" --mode three -o x.png
expect_error "--step '3'" --step 3 -o x.png
expect_error "--direction '0'" --direction 0 -o x.png
expect_error "--seed '-1'" --seed -1 -o x.png
expect_error "--hue 'nan'" --hue nan -o x.png
expect_error "--overlay 'both'" --overlay both -o x.png
expect_error "--frames '0'" --frames 0 -o x.gif
expect_error "--delay '0'" --delay 0 -o x.gif
expect_error "no output file" --size 640x400
expect_error "-o 'x.jpg'" -o x.jpg
expect_error "-o 'x'" -o x
expect_error "an animation needs a .gif" --frames 5 -o x.png
expect_error "--overlay strip" --overlay strip -o x.gif

# Files that cannot be written.
expect_error "cannot write '/nonexistent/folder/x.png': No such file or directory" -o /nonexistent/folder/x.png
expect_error "cannot write '../plainfile/x.png': Not a directory" -o ../plainfile/x.png
expect_error "cannot write '../folder.png': Is a directory" -o ../folder.png
check "the folder is left alone" test -d folder.png -a -z "$(ls -A folder.png)"

# Buffers that cannot be had: the address space is capped below what the Canvas and
# its backup need (2 x 256 MB), so the allocation fails as on a machine without memory.
big() { (ulimit -v 400000 && "$RENDER" "$@"); }
code=0
(cd out && big --size 16000x16000 --seed 1 -o big.png >../stdout 2>../stderr) || code=$?
check "no memory: exit code 2 (was $code)" test "$code" -eq 2
check "no memory: '$(cat stderr)'" grep -q "^huemix-render: --size 16000x16000: not enough memory" stderr
check "no memory: no file left" test -z "$(ls -A out)"

# A write that fails halfway (the file size limit stands in for a full disk) leaves
# neither the picture nor the temporary file, and an older picture stays as it was.
echo "an older picture" >out/keep.png
for target in keep.png loop.gif loop.webm; do
    code=0
    (cd out && trap '' XFSZ && ulimit -f 8 && "$RENDER" --size 640x400 --seed 2 --frames 1 -o "$target" \
        >../stdout 2>../stderr) || code=$?
    check "full disk, $target: exit code 2 (was $code)" test "$code" -eq 2
    check "full disk, $target: '$(cat stderr)'" grep -q "^huemix-render: cannot write '$target': " stderr
    check "full disk, $target: one line" test "$(wc -l <stderr)" -eq 1
    check "full disk, $target: nothing but the older picture ($(ls -A out | tr '\n' ' '))" \
        test "$(ls -A out)" = keep.png
done
check "the older picture is untouched" test "$(cat out/keep.png)" = "an older picture"
rm out/keep.png

# --help lists the options and succeeds.
code=0
"$RENDER" --help >help.txt 2>stderr || code=$?
check "--help exits 0" test "$code" -eq 0
for option in -o --recipe --size --seed --palette --mode --zoom-frames --hue --saturation --brightness --ticks \
    --step --direction --paused --overlay --frames --delay --version; do
    check "--help lists $option" grep -q -- "  $option" help.txt
done
check "--help writes nothing to stderr" test ! -s stderr
finish
