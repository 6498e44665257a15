#!/usr/bin/env bash
# Makes the bitmaps, PNGs and GIFs of data/encodings/ and their oracles, a
# few pictures in other formats in data/formats/; then checks that every
# file really has the encoding its name promises.
#
# Each NAME.bmp is written by ImageMagick (or, where ImageMagick writes no
# such file, rewritten bytewise by the perl below from one it wrote); each
# png-NAME.png and gif-NAME.gif is written by ImageMagick. NAME.pbm is
# ImageMagick's own reading of the file, seen on white with every colour but
# pure black made white: the expected sprite, packed the same way. It reads
# 16-bit PNGs at 16 bits, so 1/65535 is not black there.
# Where ImageMagick 6 misreads a file it wrote, the oracle is its reading of
# the same picture in a form it reads right (noted at the recipe).
# The fixtures are committed so that the test does not depend on the
# ImageMagick version at hand; run this again only to change them.
#
# Needs: bash, awk, perl, ImageMagick's convert and identify.
set -euo pipefail
cd "$(dirname "$0")/data/encodings"
rm -f ./*.bmp ./*.png ./*.gif ./*.pbm
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# A W × H picture in plain PPM, colour index by a pattern that puts black at
# row ends too; N colours: the first six are black, white, two near-blacks
# that survive 5-bit channels, green and grey.
pattern() {
  awk -v W="$1" -v H="$2" -v N="$3" 'BEGIN {
    split("0 0 0|255 255 255|8 8 8|0 0 8|0 128 0|128 128 128|" \
          "16 0 0|0 16 0|32 32 32|64 0 64|200 10 10|10 200 10|10 10 200|" \
          "255 255 0|0 255 255|255 0 255|40 40 40|50 60 70|90 80 70|1 1 1", C, "|")
    print "P3"; print W, H; print 255
    for (y = 0; y < H; y++) {
      line = ""
      for (x = 0; x < W; x++) line = line C[(x * 7 + y * 3 + int(x * y / 3)) % N + 1] " "
      print line
    }
  }'
}

# Alpha for the same size as plain PGM: opaque, clear, nearly opaque, half.
alpha() {
  awk -v W="$1" -v H="$2" 'BEGIN {
    split("255|0|254|128|255|1", A, "|")
    print "P2"; print W, H; print 255
    for (y = 0; y < H; y++) {
      line = ""
      for (x = 0; x < W; x++) line = line A[(x * 5 + y) % 6 + 1] " "
      print line
    }
  }'
}

# The same at 16 bits a channel: black, white, values that only the low
# byte tells from black, a dark grey marked, green, red.
pattern16() {
  awk -v W="$1" -v H="$2" -v GREY="$3" 'BEGIN {
    if (GREY) split("0|65535|1|255|256|2056|16000|32768", C, "|")
    else split("0 0 0|65535 65535 65535|0 0 1|255 255 255|0 256 0|2056 2056 2056|16000 16000 16000|0 32768 0|65535 0 0", C, "|")
    N = GREY ? 8 : 9
    print GREY ? "P2" : "P3"; print W, H; print 65535
    for (y = 0; y < H; y++) {
      line = ""
      for (x = 0; x < W; x++) line = line C[(x * 7 + y * 3 + int(x * y / 3)) % N + 1] " "
      print line
    }
  }'
}

# Alpha at 16 bits: opaque, clear, one short of opaque, the low byte short
# of opaque, nearly clear, half.
alpha16() {
  awk -v W="$1" -v H="$2" 'BEGIN {
    split("65535|0|65534|65280|1|32768", A, "|")
    print "P2"; print W, H; print 65535
    for (y = 0; y < H; y++) {
      line = ""
      for (x = 0; x < W; x++) line = line A[(x * 5 + y) % 6 + 1] " "
      print line
    }
  }'
}

# Grey levels at 8 bits: black, white, near-blacks, greys either side of a
# quarter.
grey() {
  awk -v W="$1" -v H="$2" 'BEGIN {
    split("0|255|1|8|30|63|64|128", C, "|")
    print "P2"; print W, H; print 255
    for (y = 0; y < H; y++) {
      line = ""
      for (x = 0; x < W; x++) line = line C[(x * 7 + y * 3 + int(x * y / 3)) % 8 + 1] " "
      print line
    }
  }'
}

# The 20 and the 6 colours as palette pictures, so that an 8-bit or 4-bit
# file keeps its depth even when the picture itself uses few colours.
pattern 20 1 20 >"$tmp/pal20.ppm"
pattern 6 1 6 >"$tmp/pal6.ppm"

# oracles SEEN NAME: NAME.pbm, the sprite: black exactly where SEEN is
# opaque pure black; NAME.marks.pbm, the marks: black where a pixel is not
# that, not fully clear, and its luminance is under a quarter.
oracles() {
  convert "$1" -background white -alpha remove -fill white +opaque black pbm:"$2.pbm"
  convert "$1" -alpha set \
    -fx "(a > 0 && !(a == 1 && r == 0 && g == 0 && b == 0) && 0.299*r + 0.587*g + 0.114*b < 0.25) ? 0 : 1" \
    -alpha off pbm:"$2.marks.pbm"
}

# perl helpers: rewrite an uncompressed bitmap ImageMagick wrote.
craft() {
  perl -e '
    use strict; use warnings;
    my ($how, $in, $out) = @ARGV;
    open my $f, "<:raw", $in or die; local $/; my $b = <$f>; close $f;
    my ($hsz, $w, $h, $planes, $bpp, $comp) = unpack("V l< l< v v V", substr($b, 14, 20));
    my $off = unpack("V", substr($b, 10, 4));
    my $stride = int(($w * $bpp + 31) / 32) * 4;
    my @rows = map { substr($b, $off + $_ * $stride, $stride) } 0 .. $h - 1;   # bottom-up
    my $head = substr($b, 0, $off);
    my $data;
    if ($how eq "topdown") {            # rows top first, height negative
      substr($head, 22, 4) = pack("l<", -$h);
      $data = join("", reverse @rows);
    } elsif ($how eq "xrgb32") {        # 24-bit to 32-bit, fourth byte unused (0)
      die "not 24-bit" unless $bpp == 24 && $comp == 0;
      substr($head, 28, 2) = pack("v", 32);
      $data = join("", map { my $r = $_; join("", map { substr($r, $_ * 3, 3) . "\0" } 0 .. $w - 1) } @rows);
    } elsif ($how eq "rgb555plain") {   # 16-bit bit fields 5-5-5 to plain 16-bit, no masks
      die "not 16-bit bit fields" unless $bpp == 16 && $comp == 3 && $hsz == 124;
      $head = substr($head, 0, 54);
      substr($head, 14, 4) = pack("V", 40);
      substr($head, 30, 4) = pack("V", 0);
      $data = join("", @rows);
    } elsif ($how eq "infomasks") {     # long header to the 40-byte one, masks after it
      die "not 16-bit bit fields" unless $bpp == 16 && $comp == 3 && $hsz == 124;
      $head = substr($head, 0, 54) . substr($head, 54, 12);
      substr($head, 14, 4) = pack("V", 40);
      $data = join("", @rows);
    } elsif ($how eq "pal1inverted") {  # palette entries swapped, bits inverted: same picture
      die "not 1-bit" unless $bpp == 1;
      my $pal = 14 + $hsz;
      my ($c0, $c1) = (substr($head, $pal, 4), substr($head, $pal + 4, 4));
      substr($head, $pal, 8) = $c1 . $c0;
      $data = join("", map { ~$_ } @rows);
    } elsif ($how eq "rle4") {          # 4-bit to RLE4: runs, pairs and absolute stretches
      die "not 4-bit" unless $bpp == 4 && $comp == 0;
      substr($head, 30, 4) = pack("V", 2);
      $data = "";
      for my $r (@rows) {
        my @p = map { my $byte = ord(substr($r, $_ >> 1, 1)); ($_ & 1) ? $byte & 15 : $byte >> 4 } 0 .. $w - 1;
        my $i = 0;
        while ($i < @p) {
          my $n = 1; $n++ while $i + $n < @p && $p[$i + $n] == $p[$i] && $n < 255;
          if ($n >= 3 || $i + $n >= @p) {                  # a run of one colour
            $data .= pack("CC", $n, $p[$i] << 4 | $p[$i]);
            $i += $n; next;
          }
          my $j = $i; $j++ while $j < @p && $j - $i < 40 && !($j + 2 < @p && $p[$j] == $p[$j + 1] && $p[$j] == $p[$j + 2]);
          my $m = $j - $i;
          if ($m >= 3) {                                    # absolute, padded to a word
            my @q = @p[$i .. $j - 1]; push @q, 0 if @q % 2;
            my $abs = join("", map { chr($q[2 * $_] << 4 | $q[2 * $_ + 1]) } 0 .. @q / 2 - 1);
            $abs .= "\0" if length($abs) % 2;
            $data .= pack("CC", 0, $m) . $abs;
          } else {                                          # two colours taking turns
            $m = 2 if $m < 2 && $i + 1 < @p; $m = 1 if $i + 1 >= @p;
            $data .= pack("CC", $m, $p[$i] << 4 | ($m > 1 ? $p[$i + 1] : $p[$i]));
          }
          $i += $m;
        }
        $data .= "\0\0";
      }
      $data .= "\0\1";
      substr($head, 34, 4) = pack("V", length($data));
    } else { die "unknown $how" }
    substr($head, 10, 4) = pack("V", length($head));
    substr($head, 2, 4) = pack("V", length($head) + length($data));
    open my $o, ">:raw", $out or die; print $o $head, $data; close $o;
  ' "$@"
}

# make NAME W H: one fixture by its encoding's recipe, then its oracle.
make() {
  local name=$1 w=$2 h=$3 src="$tmp/src.ppm" out="$1-$2x$3.bmp" seen="$1-$2x$3.bmp"
  case $name in
    pal8 | rle8 | topdown8 | os2) pattern "$w" "$h" 20 >"$src" ;;
    *) pattern "$w" "$h" 6 >"$src" ;;
  esac
  alpha "$w" "$h" >"$tmp/alpha.pgm"
  local with_alpha=("$src" "$tmp/alpha.pgm" -alpha off -compose CopyOpacity -composite)
  case $name in
    pal1) convert "$src" -type bilevel BMP3:"$out" ;;
    pal1inverted) convert "$src" -type bilevel BMP3:"$tmp/x.bmp" && craft pal1inverted "$tmp/x.bmp" "$out" ;;
    pal4) convert "$src" +dither -remap "$tmp/pal6.ppm" -type palette -compress none BMP3:"$out" ;;
    pal8) convert "$src" +dither -remap "$tmp/pal20.ppm" -type palette -compress none BMP3:"$out" ;;
    rle4) convert "$src" +dither -remap "$tmp/pal6.ppm" -type palette -compress none BMP3:"$tmp/x.bmp" && craft rle4 "$tmp/x.bmp" "$out" ;;
    rle8)
      # ImageMagick 6 misreads its own RLE8 where a run reaches into a row's
      # padding (widths 1 and 2): the oracle is the same picture uncompressed.
      convert "$src" +dither -remap "$tmp/pal20.ppm" -type palette -compress RLE BMP3:"$out"
      convert "$src" +dither -remap "$tmp/pal20.ppm" -type palette -compress none BMP3:"$tmp/seen.bmp"
      seen="$tmp/seen.bmp" ;;
    # Its BMP3 bit-field files lack the masks, so 16-bit ones start from the
    # long header, and the 40-byte header with masks after it is rewritten.
    rgb565) convert "$src" -define bmp:subtype=RGB565 BMP:"$out" ;;
    rgb565info) convert "$src" -define bmp:subtype=RGB565 BMP:"$tmp/x.bmp" && craft infomasks "$tmp/x.bmp" "$out" ;;
    rgb555) convert "$src" -define bmp:subtype=RGB555 BMP:"$out" ;;
    rgb555plain) convert "$src" -define bmp:subtype=RGB555 BMP:"$tmp/x.bmp" && craft rgb555plain "$tmp/x.bmp" "$out" ;;
    # ImageMagick 6 reads an alpha of 1 or 4 bits short of opaque (its
    # highest value as 128 or 240): stretched back for the oracle, so that
    # the highest stored alpha is opaque, as the format means.
    argb1555)
      convert "${with_alpha[@]}" -define bmp:subtype=ARGB1555 BMP:"$out"
      convert "$out" -channel A -evaluate multiply 1.9922 +channel PNG32:"$tmp/seen.png"
      seen="$tmp/seen.png" ;;
    argb4444)
      convert "${with_alpha[@]}" -define bmp:subtype=ARGB4444 BMP:"$out"
      convert "$out" -channel A -evaluate multiply 1.0625 +channel PNG32:"$tmp/seen.png"
      seen="$tmp/seen.png" ;;
    os2) convert "$src" +dither -remap "$tmp/pal20.ppm" -type palette BMP2:"$out" ;;  # oldest 12-byte header
    rgb24) convert "$src" -type truecolor BMP3:"$out" ;;
    xrgb32) convert "$src" -type truecolor BMP3:"$tmp/x.bmp" && craft xrgb32 "$tmp/x.bmp" "$out" ;;
    argb32) convert "${with_alpha[@]}" -type truecolormatte BMP:"$out" ;;
    topdown1) convert "$src" -type bilevel BMP3:"$tmp/x.bmp" && craft topdown "$tmp/x.bmp" "$out" ;;
    topdown8) convert "$src" +dither -remap "$tmp/pal20.ppm" -type palette -compress none BMP3:"$tmp/x.bmp" &&
      craft topdown "$tmp/x.bmp" "$out" ;;
    topdown24) convert "$src" -type truecolor BMP3:"$tmp/x.bmp" && craft topdown "$tmp/x.bmp" "$out" ;;
    *) echo "unknown encoding $name" >&2; exit 1 ;;
  esac
  oracles "$seen" "${out%.bmp}"
}

encodings=(pal1 pal1inverted pal4 pal8 rle4 rle8 rgb565 rgb565info rgb555 rgb555plain argb1555 argb4444
  rgb24 xrgb32 argb32 topdown1 topdown8 topdown24 os2)
for e in "${encodings[@]}"; do
  for w in $(seq 1 17); do make "$e" "$w" $((2 + (w * 5) % 7)); done
done
for e in pal1 pal4 rle4 rle8 rgb24; do make "$e" 333 111; done
for e in pal1 rgb565 rgb565info argb32 topdown24; do make "$e" 1001 3; make "$e" 3 1001; done
make argb32 101 37

# make_other NAME W H: one PNG or GIF fixture by its encoding's recipe, then
# its oracle.
make_other() {
  local name=$1 w=$2 h=$3 src="$tmp/src.ppm" seen out
  case $name in png-*) out="$1-$2x$3.png" ;; *) out="$1-$2x$3.gif" ;; esac
  seen=$out
  pattern "$w" "$h" 20 >"$tmp/pal20src.ppm"
  pattern "$w" "$h" 6 >"$src"
  alpha "$w" "$h" >"$tmp/alpha.pgm"
  grey "$w" "$h" >"$tmp/grey.pgm"
  pattern16 "$w" "$h" 0 >"$tmp/rgb16.ppm"
  pattern16 "$w" "$h" 1 >"$tmp/grey16.pgm"
  alpha16 "$w" "$h" >"$tmp/alpha16.pgm"
  local with_alpha=("$src" "$tmp/alpha.pgm" -alpha off -compose CopyOpacity -composite)
  local grey_alpha=("$tmp/grey.pgm" "$tmp/alpha.pgm" -alpha off -compose CopyOpacity -composite -colorspace gray)
  local deep_alpha=("$tmp/rgb16.ppm" "$tmp/alpha16.pgm" -alpha off -compose CopyOpacity -composite -depth 16)
  local deep_grey_alpha=("$tmp/grey16.pgm" "$tmp/alpha16.pgm" -alpha off -compose CopyOpacity -composite
    -colorspace gray -depth 16)
  # Opaque but for the black pixels, made fully clear by one colour key: no
  # pixel may be set.
  local keyed=("$src" -transparent black)
  case $name in
    png-pal8) convert "$tmp/pal20src.ppm" +dither -remap "$tmp/pal20.ppm" -define png:bit-depth=8 PNG8:"$out" ;;
    png-pal4) convert "$src" +dither -remap "$tmp/pal6.ppm" -define png:bit-depth=4 -define png:color-type=3 \
      PNG8:"$out" ;;
    png-paltrns) convert "${with_alpha[@]}" -type PaletteAlpha -define png:bit-depth=8 "png:$out" ;;
    png-grey1) convert "$src" -type bilevel -define png:bit-depth=1 -define png:color-type=0 "png:$out" ;;
    png-grey8) convert "$tmp/grey.pgm" -colorspace gray -define png:bit-depth=8 -define png:color-type=0 "png:$out" ;;
    png-greytrns) convert "$tmp/grey.pgm" -colorspace gray -transparent black -define png:bit-depth=8 \
      -define png:color-type=0 "png:$out" ;;
    png-grey16) convert "$tmp/grey16.pgm" -colorspace gray -depth 16 -define png:bit-depth=16 \
      -define png:color-type=0 "png:$out" ;;
    png-greyalpha8) convert "${grey_alpha[@]}" -define png:bit-depth=8 -define png:color-type=4 "png:$out" ;;
    png-greyalpha16) convert "${deep_grey_alpha[@]}" -define png:bit-depth=16 -define png:color-type=4 "png:$out" ;;
    png-rgb8) convert "$src" PNG24:"$out" ;;
    png-rgbtrns) convert "${keyed[@]}" PNG24:"$out" ;;
    png-rgb16) convert "$tmp/rgb16.ppm" -depth 16 PNG48:"$out" ;;
    png-rgba8) convert "${with_alpha[@]}" PNG32:"$out" ;;
    png-rgba16) convert "${deep_alpha[@]}" PNG64:"$out" ;;
    png-adam7pal4) convert "$src" +dither -remap "$tmp/pal6.ppm" -interlace PNG -define png:bit-depth=4 \
      -define png:color-type=3 PNG8:"$out" ;;
    png-adam7grey1) convert "$src" -type bilevel -interlace PNG -define png:bit-depth=1 -define png:color-type=0 \
      "png:$out" ;;
    png-adam7rgba8) convert "${with_alpha[@]}" -interlace PNG PNG32:"$out" ;;
    png-adam7rgba16) convert "${deep_alpha[@]}" -interlace PNG PNG64:"$out" ;;
    gif-pal) convert "$tmp/pal20src.ppm" +dither -remap "$tmp/pal20.ppm" "gif:$out" ;;
    gif-trns) convert "${with_alpha[@]}" "gif:$out" ;;
    gif-interlaced) convert "${with_alpha[@]}" -interlace GIF "gif:$out" ;;
    # A frame smaller than the screen, at an offset; the oracle is the
    # frame laid on its screen, clear around it.
    gif-offset)
      convert "$src" -repage "$((w + 5))x$((h + 3))+3+2" "gif:$out"
      convert "$out" -coalesce PNG32:"$tmp/seen.png"
      seen="$tmp/seen.png" ;;
    *) echo "unknown encoding $name" >&2; exit 1 ;;
  esac
  oracles "$seen" "${out%.*}"
}

others=(png-pal8 png-pal4 png-paltrns png-grey1 png-grey8 png-greytrns png-grey16 png-greyalpha8 png-greyalpha16
  png-rgb8 png-rgbtrns png-rgb16 png-rgba8 png-rgba16 png-adam7pal4 png-adam7grey1 png-adam7rgba8 png-adam7rgba16
  gif-pal gif-trns gif-interlaced gif-offset)
for e in "${others[@]}"; do
  for w in $(seq 1 17); do make_other "$e" "$w" $((2 + (w * 5) % 7)); done
done
for e in png-adam7rgba8 png-pal4 gif-interlaced; do make_other "$e" 333 111; done

# Pictures in formats that are not read, pictures under names that say
# otherwise (taken by their content), and text named as a picture.
rm -f ../formats/*
mkdir -p ../formats
for ext in ico xpm jpg tif; do convert argb32-13x4.bmp -strip "../formats/argb32-13x4.$ext"; done
oracles ../formats/argb32-13x4.jpg ../formats/argb32-13x4.jpg
convert rgb24-13x4.bmp ../formats/rgb24-13x4.ppm
convert pal1-13x4.bmp ../formats/pal1-13x4.xbm
cp rgb24-13x4.bmp ../formats/bitmap-named-as.png
cp rgb24-13x4.pbm ../formats/bitmap-named-as.png.pbm
cp rgb24-13x4.marks.pbm ../formats/bitmap-named-as.png.marks.pbm
cp png-rgba8-13x4.png ../formats/png-named-as.gif
cp png-rgba8-13x4.pbm ../formats/png-named-as.gif.pbm
cp png-rgba8-13x4.marks.pbm ../formats/png-named-as.gif.marks.pbm
cp gif-trns-13x4.gif ../formats/gif-named-as.bmp
cp gif-trns-13x4.pbm ../formats/gif-named-as.bmp.pbm
cp gif-trns-13x4.marks.pbm ../formats/gif-named-as.bmp.marks.pbm
printf 'These are notes, not a picture.\n' >../formats/text-named-as.png

# Each file's header against its name: header size, bits per pixel,
# compression, height sign and, for bit fields, the red, green, blue and
# alpha masks.
fail=0
for f in *.bmp; do  # bitmaps: header size, bits, compression, direction, masks
  got=$(perl -e 'open my $f, "<:raw", $ARGV[0]; read $f, my $b, 70;
    my ($hsz, $h, $bpp, $comp) = unpack("V x4 l< x2 v V", substr($b, 14, 20));
    ($h, $bpp, $comp) = (unpack("x6 s< x2 v", substr($b, 14, 12)), 0) if $hsz == 12;
    my $m = $comp == 3 ? sprintf(" %x/%x/%x/%x", unpack("V4", substr($b, 54, 16))) : "";
    $m =~ s|/[^/]*$|| if $hsz == 40;
    printf "%d %d %d %s%s", $hsz, $bpp, $comp, $h < 0 ? "-" : "+", $m' "$f")
  case ${f%%-*} in
    pal1 | pal1inverted) want="40 1 0 +" ;; pal4) want="40 4 0 +" ;; pal8) want="40 8 0 +" ;;
    rle4) want="40 4 2 +" ;; rle8) want="40 8 1 +" ;;
    rgb565) want="124 16 3 + f800/7e0/1f/0" ;; rgb565info) want="40 16 3 + f800/7e0/1f" ;;
    rgb555) want="124 16 3 + 7c00/3e0/1f/0" ;; rgb555plain) want="40 16 0 +" ;;
    argb1555) want="124 16 3 + 7c00/3e0/1f/8000" ;; argb4444) want="124 16 3 + f00/f0/f/f000" ;;
    rgb24) want="40 24 0 +" ;; xrgb32) want="40 32 0 +" ;; argb32) want="124 32 3 + ff0000/ff00/ff/ff000000" ;;
    os2) want="12 8 0 +" ;;
    topdown1) want="40 1 0 -" ;; topdown8) want="40 8 0 -" ;; topdown24) want="40 24 0 -" ;;
  esac
  if [ "$got" != "$want" ]; then echo "$f: has $got, wants $want" >&2; fail=1; fi
done

# PNGs: bit depth, colour type, interlacing and a transparency chunk.
for f in png-*.png; do
  got=$(perl -e 'open my $f, "<:raw", $ARGV[0]; local $/; my $b = <$f>;
    my ($depth, $type, $il) = unpack("x24 C C x2 C", $b);
    my $trns = index($b, "tRNS") >= 0 ? " tRNS" : "";
    printf "%d %d %d%s", $depth, $type, $il, $trns' "$f")
  name=${f%-*}
  case $name in
    png-pal8) want="8 3 0" ;; png-pal4) want="4 3 0" ;; png-paltrns) want="8 3 0 tRNS" ;;
    png-grey1) want="1 0 0" ;; png-grey8) want="8 0 0" ;; png-greytrns) want="8 0 0 tRNS" ;; png-grey16) want="16 0 0" ;;
    png-greyalpha8) want="8 4 0" ;; png-greyalpha16) want="16 4 0" ;;
    png-rgb8) want="8 2 0" ;; png-rgbtrns) want="8 2 0 tRNS" ;; png-rgb16) want="16 2 0" ;;
    png-rgba8) want="8 6 0" ;; png-rgba16) want="16 6 0" ;;
    png-adam7pal4) want="4 3 1" ;; png-adam7grey1) want="1 0 1" ;; png-adam7rgba8) want="8 6 1" ;;
    png-adam7rgba16) want="16 6 1" ;;
  esac
  if [ "$got" != "$want" ]; then echo "$f: has $got, wants $want" >&2; fail=1; fi
done

# GIFs: a transparent colour, interlacing, and the frame against the screen.
for f in gif-*.gif; do
  got=$(perl -e 'open my $f, "<:raw", $ARGV[0]; local $/; my $b = <$f>;
    my ($sw, $sh, $flags) = unpack("x6 v v C", $b);
    my $at = 13 + (($flags & 0x80) ? 3 * (2 << ($flags & 7)) : 0);
    my $trns = "";
    while (substr($b, $at, 1) eq "!") {
      my $label = ord(substr($b, $at + 1, 1));
      $trns = " transparent" if $label == 0xF9 && (ord(substr($b, $at + 3, 1)) & 1);
      $at += 2;
      while ((my $n = ord(substr($b, $at, 1))) > 0) { $at += $n + 1 } $at++;
    }
    my ($l, $t, $w, $h, $iflags) = unpack("v v v v C", substr($b, $at + 1, 9));
    printf "%s%s%s", ($iflags & 0x40) ? "interlaced" : "sequential", $trns,
      ($l || $t || $w != $sw || $h != $sh) ? " offset" : ""' "$f")
  name=${f%-*}
  case $name in
    gif-pal) want="sequential" ;; gif-trns) want="sequential transparent" ;;
    gif-interlaced) want="interlaced transparent" ;; gif-offset) want="sequential offset" ;;
  esac
  if [ "$got" != "$want" ]; then echo "$f: has $got, wants $want" >&2; fail=1; fi
done
exit $fail
