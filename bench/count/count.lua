-- The counting loop of bench/count/count.s in Lua: a local counted from 0 to 30,000, as many
-- rounds as the argument says.
local rounds = tonumber(arg[1]) or 1000
local round = 0
local i = 0
while round < rounds do
  i = 0
  while i < 30000 do
    i = i + 1
  end
  round = round + 1
end
print(i)
