# Reading hyperfine's --export-csv files; sourced by the benchmark scripts.

# The mean time of the command named $2 in the csv file $1.
mean() {
  awk -F, -v name="$2" '$1 == name { print $2 }' "$1"
}

# The median time of the command named $2 in the csv file $1.
median() {
  awk -F, -v name="$2" '$1 == name { print $4 }' "$1"
}

# $1 / $2 with three decimals.
ratio() {
  awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'
}

# A time in seconds, in milliseconds.
ms() {
  awk -v s="$1" 'BEGIN { printf "%.3f", s * 1000 }'
}
