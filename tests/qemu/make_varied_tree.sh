#!/usr/bin/env bash
# Writes a source tree that exercises image names and layout: Cyrillic and
# other non-ASCII names, spaces and punctuation, long names, deep folders,
# many files in one folder, empty files, hidden files and a file that spans
# several sectors.
#   make_varied_tree.sh DIR
set -euo pipefail
dir=$1
mkdir -p "$dir"
cd "$dir"

mkdir -p "Документы/Отчёты 2024" "Ελληνικά" "deep/level2/level3/level4/level5/level6/level7" "many files"
echo "Привет, мир" > "Документы/Письмо.txt"
printf 'квартальный отчёт\n%.0s' $(seq 1 300) > "Документы/Отчёты 2024/Квартал №1 (итог).txt"
echo "αβγ" > "Ελληνικά/Αρχείο.txt"
echo "naïve café" > "Ελληνικά/café naïve.txt"
echo "decomposed" > "Ελληνικά/$(printf 'cafe\xcc\x81 decomposed.txt')"   # e + combining acute
echo "spaces and punctuation" > "a file, with (punctuation) & spaces v1.2.txt"
echo "deep" > "deep/level2/level3/level4/level5/level6/level7/bottom.txt"
: > "empty file.txt"
: > "deep/level2/empty"
echo "hidden" > ".hidden settings"
long_name=$(printf 'long name %.0s' $(seq 1 9))end.txt   # 93 characters
echo "long" > "$long_name"
long_cyrillic=$(printf 'длинное имя %.0s' $(seq 1 5))конец.dat   # 65 characters
echo "длинное" > "Документы/$long_cyrillic"
for i in $(seq 1 200); do
    echo "file $i" > "many files/file $i.txt"
done
# Several sectors of data that are not all the same byte.
head -c 200000 /dev/urandom > "random.bin"
