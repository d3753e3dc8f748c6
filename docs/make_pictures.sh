#!/usr/bin/env bash
# Makes the pictures of the README: the main window and one picture per button.
#   docs/make_pictures.sh BUILD_FOLDER
# The build folder needs the target kaz-screenshots. The command buttons are the faces the
# program draws them with (resources/bitmaps); the option buttons are cut out of the window,
# because their labels are painted by the program. Needs ImageMagick's convert.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build=$(cd "${1:?usage: make_pictures.sh BUILD_FOLDER}" && pwd)
shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT

QT_QPA_PLATFORM=offscreen "$build/app/kaz-screenshots" "$shots"
cp "$shots/lesson-entry-shown.png" "$root/docs/main-window.png"

# name:face
faces=(load:5007 new-lesson:5005 save:5009 due-query:5041 normal-query:5017 reversed-query:5015
       mixed-query:5013 abort:5011 page-back:5001 page-forward:5003 help:5035
       results-log:5039 learning-chart:5043 speak:5047 read-aloud:5045)
for entry in "${faces[@]}"; do
    convert "$root/resources/bitmaps/${entry#*:}.bmp" -strip "PNG24:$root/docs/buttons/${entry%%:*}.png"
done

# Option buttons: 90 x 39 px faces at x 472 and y 244, 287, 329 in the client of the window.
options=(ignore-case:244 ignore-punctuation:287 any-order:329)
for entry in "${options[@]}"; do
    convert "$shots/empty-lesson.png" -crop "90x39+472+${entry#*:}" +repage -strip \
        "PNG24:$root/docs/buttons/option-${entry%%:*}.png"
done
ls "$root/docs" "$root/docs/buttons"
