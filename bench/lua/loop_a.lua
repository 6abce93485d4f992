-- The locals-and-immediates loop of vm_bench (BM_LocalsAndImmediates) in Lua:
-- sum := sum + i * 3 with i counting 0 .. 29999, repeated. Argument: passes of the inner loop.
local passes = tonumber(arg[1]) or 100000000
local sum = 0
local done = 0
while done < passes do
  local i = 0
  while i < 30000 do
    sum = sum + i * 3
    i = i + 1
  end
  done = done + 30000
end
-- The sum is printed so that the work cannot be skipped; then the processor time taken, the
-- same measure the interpreter's benchmark reports.
print(sum & 0xFFFFFFFF)
print(os.clock())
